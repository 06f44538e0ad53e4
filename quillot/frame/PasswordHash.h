#pragma once

#include "tessel/core/String.h"

// Passwords are kept as salted, deliberately slow hashes (Argon2id through
// libsodium), never as the text typed. Databases of older versions may
// still hold a password as plain text; such a row verifies once by a
// constant-time comparison, and the caller then stores a hash in its place.
class PasswordHash {
public:
    // A new hash of `password`; empty when hashing failed (out of memory).
    static tessel::String make(const tessel::String& password);
    // Whether `typed` matches what the database holds. `plain` tells the
    // caller that the stored value was plain text, to be replaced by a hash.
    static bool verify(const tessel::String& stored, const tessel::String& typed, bool& plain);
    // Whether a stored value is a hash made by make.
    static bool isHash(const tessel::String& stored);
};
