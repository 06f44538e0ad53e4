#include "tessel/core/Sha1.h"

namespace tessel {

namespace {

uint32_t rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t loadBE(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void storeBE(uint32_t v, unsigned char* p)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

} // namespace

void Sha1::init()
{
    state_[0] = 0x67452301;
    state_[1] = 0xEFCDAB89;
    state_[2] = 0x98BADCFE;
    state_[3] = 0x10325476;
    state_[4] = 0xC3D2E1F0;
    blocks_.reset();
}

void Sha1::process(const unsigned char* data, int length)
{
    blocks_.add(data, length, [this](const unsigned char* block) { _transform(block); });
}

void Sha1::finish(unsigned char* digest)
{
    blocks_.finish(true, [this](const unsigned char* block) { _transform(block); });
    if (digest)
        for (int i = 0; i < 5; i++)
            storeBE(state_[i], digest + 4 * i);
    init();
}

void Sha1::_transform(const unsigned char* block)
{
    uint32_t w[80];
    for (int t = 0; t < 16; t++)
        w[t] = loadBE(block + 4 * t);
    for (int t = 16; t < 80; t++)
        w[t] = rotl(w[t - 3] ^ w[t - 8] ^ w[t - 14] ^ w[t - 16], 1);

    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
    for (int t = 0; t < 80; t++) {
        uint32_t f, k;
        if (t < 20) {
            f = (b & c) | (~b & d);
            k = 0x5A827999;
        } else if (t < 40) {
            f = b ^ c ^ d;
            k = 0x6ED9EBA1;
        } else if (t < 60) {
            f = (b & c) | (b & d) | (c & d);
            k = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            k = 0xCA62C1D6;
        }
        uint32_t next = rotl(a, 5) + f + e + k + w[t];
        e = d;
        d = c;
        c = rotl(b, 30);
        b = a;
        a = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
}

const char* Sha1::crypt(const char* key, const char* salt)
{
    return CryptText::withDigest<Sha1>(DIGEST_SIZE, key, salt, cryptText_);
}

} // namespace tessel
