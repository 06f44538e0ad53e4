#pragma once

#include <cstdint>

#include "tessel/core/CryptText.h"
#include "tessel/core/DigestBlocks.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// The MD5 message digest (RFC 1321) and HMAC-MD5 (RFC 2104). Feed the
// message with process() in as many pieces as wanted; finish() writes the
// 16-byte digest and starts over for the next message.
class Md5 : public IObject {
public:
    enum : int { DIGEST_SIZE = 16, BLOCK_BYTES = 64 };

    Md5() { init(); }
    Md5(const Md5& other) = default;
    Md5& operator=(const Md5& other) = default;
    ~Md5() override = default;

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

    // The digest of the text's bytes in the system code page as 32
    // lowercase hexadecimal digits; an empty text gives an empty result.
    static void md5(const String& text, String& hex);
    // The digest of `length` bytes (up to the NUL when below 1) as 32
    // lowercase hexadecimal digits and a NUL in `hex` (33 bytes).
    static void md5(const char* data, int length, char* hex);
    // HMAC-MD5 of `textLength` bytes of text under the key; a key length
    // below 1 means a NUL-terminated key, and a key longer than a block is
    // replaced by its digest. A text length below 1 is the empty message.
    static void Hmac(const unsigned char* text, int textLength, const unsigned char* key, int keyLength,
                     unsigned char* digest);

private:
    void _transform(const unsigned char* block);

    uint32_t state_[4];
    DigestBlocks blocks_;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
