#pragma once

#include "tessel/core/String.h"

// Passwords are kept as salted, deliberately slow hashes (Argon2id through
// libsodium), never as the text typed. New hashes cost 19 MiB and two
// passes; a hash made at another cost keeps verifying with the cost written
// in it, and the caller may replace it (needsRehash). Databases of older
// versions may still hold a password as plain text; such a row verifies
// once by a constant-time comparison, and the caller then stores a hash in
// its place.
class PasswordHash {
public:
    static constexpr unsigned long long OPS_LIMIT = 2;
    static constexpr size_t MEM_LIMIT = 19 * 1024 * 1024;

    // A new hash of `password`; empty when hashing failed (out of memory).
    static tessel::String make(const tessel::String& password);
    // Whether `typed` matches what the database holds. `plain` tells the
    // caller that the stored value was plain text, to be replaced by a hash.
    static bool verify(const tessel::String& stored, const tessel::String& typed, bool& plain);
    // Whether a stored value is a hash made by make.
    static bool isHash(const tessel::String& stored);
    // Whether a stored hash was made at another cost than make's.
    static bool needsRehash(const tessel::String& stored);

    // The slow part alone, safe on any thread: whether `typed` matches the
    // hash `stored`.
    static bool matchesHash(const std::string& stored, const std::string& typed);
    // The plain-text comparison of an old row, in constant time.
    static bool matchesPlain(const tessel::String& stored, const tessel::String& typed);
    // A hash at make's cost that no password is known to match: checked
    // instead when there is no hash to check (an unknown user), so that the
    // answer takes as long as for a known one.
    static const tessel::String& unmatchable();
};
