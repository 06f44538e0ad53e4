#pragma once

#include <cstdint>

#include "tessel/core/CryptText.h"
#include "tessel/core/DigestBlocks.h"
#include "tessel/core/IObject.h"

namespace tessel {

// The SHA-1 message digest (FIPS 180-1). Feed the message with process()
// in as many pieces as wanted; finish() writes the 20-byte digest and
// starts over for the next message.
class Sha1 : public IObject {
public:
    enum : int { DIGEST_SIZE = 20, BLOCK_BYTES = 64 };

    Sha1() { init(); }
    Sha1(const Sha1& other) = default;
    Sha1& operator=(const Sha1& other) = default;
    ~Sha1() override = default;

    // A password hash of the key and two salt characters (see CryptText),
    // kept in this object until the next call. Leaves the running digest
    // alone.
    virtual const char* crypt(const char* key, const char* salt);
    // Adds `length` bytes to the message; nothing for null data or a
    // length below 1.
    virtual void process(const unsigned char* data, int length);
    // Pads the message, writes its DIGEST_SIZE-byte digest and resets.
    virtual void finish(unsigned char* digest);
    virtual void init();

private:
    void _transform(const unsigned char* block);

    uint32_t state_[5];
    DigestBlocks blocks_;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
