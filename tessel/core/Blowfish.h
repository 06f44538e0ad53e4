#pragma once

#include <cstdint>

#include "tessel/core/CryptText.h"
#include "tessel/core/IObject.h"

namespace tessel {

// Schneier's Blowfish: 64-bit blocks (bytes in big-endian word order),
// keys of 1 to 56 bytes, 16 rounds. encrypt and decrypt work on one block
// and may be given the same buffer for input and output.
class Blowfish : public IObject {
public:
    enum : int { BLOCK_BYTES = 8, MAX_KEY_SIZE = 56, ROUNDS = 16 };

    // The initial P-array and S-boxes: the fractional hexadecimal digits
    // of pi, P first.
    static const uint32_t ORIG_P[ROUNDS + 2];
    static const uint32_t ORIG_S[4][256];

    Blowfish() = default;
    Blowfish(const Blowfish& other) = default;
    Blowfish& operator=(const Blowfish& other) = default;
    ~Blowfish() override = default;

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
    uint32_t _f(uint32_t x) const;
    void _encrypt(uint32_t& left, uint32_t& right) const;

    uint32_t p_[ROUNDS + 2] = {};
    uint32_t s_[4][256] = {};
    bool keyed_ = false;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
