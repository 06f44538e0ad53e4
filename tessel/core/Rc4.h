#pragma once

#include "tessel/core/CryptText.h"
#include "tessel/core/IObject.h"

namespace tessel {

// The RC4 stream cipher. Encrypting and decrypting are one operation: the
// data is XORed with the key stream, which goes on from call to call. The
// block interface works on one byte; process() on whole buffers.
class Rc4 : public IObject {
public:
    enum : int { BLOCK_BYTES = 1, MAX_KEY_SIZE = 256 };

    Rc4() = default;
    Rc4(const Rc4& other) = default;
    Rc4& operator=(const Rc4& other) = default;
    ~Rc4() override = default;

    // A password hash of the key and two salt characters (see CryptText),
    // kept in this object until the next call. Leaves the key stream alone.
    virtual const char* crypt(const char* key, const char* salt);
    // 1 to 256 bytes (a length below 1 means a NUL-terminated key); starts
    // the key stream anew. False otherwise, leaving the stream as it was.
    virtual bool setKey(const unsigned char* key, int length);
    // One byte; false without a key or with a null pointer.
    virtual bool encrypt(const unsigned char* in, unsigned char* out);
    virtual bool decrypt(const unsigned char* in, unsigned char* out) { return encrypt(in, out); }

    // `length` bytes; in and out may be the same buffer.
    bool process(const unsigned char* in, unsigned char* out, int length);

private:
    unsigned char _next();

    unsigned char state_[256] = {};
    unsigned char i_ = 0;
    unsigned char j_ = 0;
    bool keyed_ = false;
    char cryptText_[CryptText::BUFFER_SIZE] = {};
};

} // namespace tessel
