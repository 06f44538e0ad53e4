#include "tessel/core/Md5.h"

#include <array>
#include <cmath>
#include <cstring>

namespace tessel {

namespace {

// T[i] = floor(2^32 * |sin(i + 1)|), the additive constants of RFC 1321.
std::array<uint32_t, 64> makeSineTable()
{
    std::array<uint32_t, 64> table{};
    for (int i = 0; i < 64; i++)
        table[i] = static_cast<uint32_t>(std::floor(std::ldexp(std::fabs(std::sin(i + 1.0)), 32)));
    return table;
}

const std::array<uint32_t, 64> SINE = makeSineTable();

// Left rotations of each round, four per round.
const int SHIFTS[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

uint32_t rotl(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t loadLE(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void storeLE(uint32_t v, unsigned char* p)
{
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void toHex(const unsigned char* digest, char* hex)
{
    static const char DIGITS[] = "0123456789abcdef";
    for (int i = 0; i < Md5::DIGEST_SIZE; i++) {
        hex[2 * i] = DIGITS[digest[i] >> 4];
        hex[2 * i + 1] = DIGITS[digest[i] & 15];
    }
    hex[2 * Md5::DIGEST_SIZE] = 0;
}

} // namespace

void Md5::init()
{
    state_[0] = 0x67452301;
    state_[1] = 0xefcdab89;
    state_[2] = 0x98badcfe;
    state_[3] = 0x10325476;
    blocks_.reset();
}

void Md5::process(const unsigned char* data, int length)
{
    blocks_.add(data, length, [this](const unsigned char* block) { _transform(block); });
}

void Md5::finish(unsigned char* digest)
{
    blocks_.finish(false, [this](const unsigned char* block) { _transform(block); });
    if (digest)
        for (int i = 0; i < 4; i++)
            storeLE(state_[i], digest + 4 * i);
    init();
}

void Md5::_transform(const unsigned char* block)
{
    uint32_t x[16];
    for (int i = 0; i < 16; i++)
        x[i] = loadLE(block + 4 * i);
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; i++) {
        int round = i / 16;
        uint32_t f;
        int k;
        switch (round) {
        case 0:
            f = (b & c) | (~b & d);
            k = i;
            break;
        case 1:
            f = (b & d) | (c & ~d);
            k = (5 * i + 1) % 16;
            break;
        case 2:
            f = b ^ c ^ d;
            k = (3 * i + 5) % 16;
            break;
        default:
            f = c ^ (b | ~d);
            k = (7 * i) % 16;
            break;
        }
        uint32_t next = b + rotl(a + f + x[k] + SINE[i], SHIFTS[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
}

const char* Md5::crypt(const char* key, const char* salt)
{
    return CryptText::withDigest<Md5>(DIGEST_SIZE, key, salt, cryptText_);
}

void Md5::md5(const String& text, String& hex)
{
    if (text.empty()) {
        hex.clear();
        return;
    }
    char digits[2 * DIGEST_SIZE + 1];
    md5(text.toAnsi(), text.sizeAnsi(), digits);
    hex = String::fromUTF8(digits);
}

void Md5::md5(const char* data, int length, char* hex)
{
    if (!data || !hex)
        return;
    if (length < 1)
        length = static_cast<int>(std::strlen(data));
    Md5 digest;
    unsigned char sum[DIGEST_SIZE];
    digest.process(reinterpret_cast<const unsigned char*>(data), length);
    digest.finish(sum);
    toHex(sum, hex);
}

void Md5::Hmac(const unsigned char* text, int textLength, const unsigned char* key, int keyLength,
               unsigned char* digest)
{
    if (!digest)
        return;
    if (!key)
        keyLength = 0;
    else if (keyLength < 1)
        keyLength = static_cast<int>(std::strlen(reinterpret_cast<const char*>(key)));

    unsigned char padded[BLOCK_BYTES] = {};
    if (keyLength > BLOCK_BYTES) {
        Md5 keyDigest;
        keyDigest.process(key, keyLength);
        keyDigest.finish(padded);
    } else if (keyLength > 0) {
        std::memcpy(padded, key, static_cast<size_t>(keyLength));
    }

    unsigned char inner[BLOCK_BYTES], outer[BLOCK_BYTES];
    for (int i = 0; i < BLOCK_BYTES; i++) {
        inner[i] = padded[i] ^ 0x36;
        outer[i] = padded[i] ^ 0x5c;
    }
    Md5 hash;
    unsigned char innerSum[DIGEST_SIZE];
    hash.process(inner, BLOCK_BYTES);
    hash.process(text, textLength);
    hash.finish(innerSum);
    hash.process(outer, BLOCK_BYTES);
    hash.process(innerSum, DIGEST_SIZE);
    hash.finish(digest);
}

} // namespace tessel
