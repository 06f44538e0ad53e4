#pragma once

#include <cstdint>

#include "tessel/core/CryptText.h"
#include "tessel/core/IObject.h"

namespace tessel {

// RC6-32/20: 128-bit blocks of four little-endian 32-bit words, 20 rounds.
// The key schedule takes any key of 1 to 255 bytes; 16, 24 and 32 bytes
// are the standard sizes. encrypt and decrypt work on one block and may be
// given the same buffer for input and output.
class Rc6 : public IObject {
public:
    enum : int { BLOCK_BYTES = 16, MAX_KEY_SIZE = 255, ROUNDS = 20 };

    Rc6() = default;
    Rc6(const Rc6& other) = default;
    Rc6& operator=(const Rc6& other) = default;
    ~Rc6() override = default;

    // A password hash of the key and two salt characters (see CryptText),
    // kept in this object until the next call. Leaves the key alone.
    virtual const char* crypt(const char* key, const char* salt);
    // A length below 1 means a NUL-terminated key; false for a null, empty
    // or too long key, which leaves the previous key in place.
    virtual bool setKey(const unsigned char* key, int length);
    // One block; false without a key or with a null buffer.
    virtual bool encrypt(const unsigned char* in, unsigned char* out);
    virtual bool decrypt(const unsigned char* in, unsigned char* out);

private:
    uint32_t roundKeys_[2 * ROUNDS + 4] = {};
    bool keyed_ = false;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
