#pragma once

#include <array>
#include <cstdint>

#include "tessel/core/CryptText.h"
#include "tessel/core/IObject.h"

namespace tessel {

// The Data Encryption Standard (FIPS 46-3): 64-bit blocks and 8-byte keys
// whose parity bits are ignored. The round function and key schedule run
// on precomputed tables. encrypt and decrypt work on one block and may be
// given the same buffer for input and output.
class Des : public IObject {
public:
    enum : int { BLOCK_BYTES = 8, KEY_SIZE = 8, ROUNDS = 16 };
    using Table = std::array<std::array<uint32_t, 64>, 8>;

    // SPtrans[box][x]: the output of S-box `box` for the six input bits x,
    // placed and permuted by P, so a round is eight lookups ORed together.
    static const Table SPtrans;
    // skb[group][x]: the round-key bits that six key bits produce through
    // PC-2. Groups 0-3 take the 24 bits of C that PC-2 uses, in order, six
    // at a time (giving round-key bits 1-24); groups 4-7 those of D (bits
    // 25-48).
    static const Table skb;
    // 1 where a round rotates C and D by two bits, 0 where by one.
    static const std::array<int, ROUNDS> shifts2;

    Des() = default;
    Des(const Des& other) = default;
    Des& operator=(const Des& other) = default;
    ~Des() override = default;

    // A password hash of the key and two salt characters (see CryptText),
    // kept in this object until the next call. Leaves the key alone.
    virtual const char* crypt(const char* key, const char* salt);
    // Exactly KEY_SIZE bytes (a length below 1 means a NUL-terminated
    // key); false otherwise, leaving the previous key in place.
    virtual bool setKey(const unsigned char* key, int length);
    // One block; false without a key or with a null buffer.
    virtual bool encrypt(const unsigned char* in, unsigned char* out);
    virtual bool decrypt(const unsigned char* in, unsigned char* out);

private:
    bool _process(const unsigned char* in, unsigned char* out, bool decrypting) const;

    // The six-bit pieces of each round key, one per S-box.
    unsigned char roundKeys_[ROUNDS][8] = {};
    bool keyed_ = false;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
