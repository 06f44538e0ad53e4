#include "tessel/core/Rc6.h"

#include <algorithm>
#include <cstring>

namespace tessel {

namespace {

// The magic constants of the key schedule for 32-bit words:
// Odd((e - 2) * 2^32) and Odd((phi - 1) * 2^32).
const uint32_t P32 = 0xB7E15163;
const uint32_t Q32 = 0x9E3779B9;
const int KEY_WORDS = 2 * Rc6::ROUNDS + 4;

uint32_t rotl(uint32_t x, uint32_t n)
{
    n &= 31;
    return n ? (x << n) | (x >> (32 - n)) : x;
}

uint32_t rotr(uint32_t x, uint32_t n)
{
    n &= 31;
    return n ? (x >> n) | (x << (32 - n)) : x;
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

// The data-dependent rotation amount of a word: (x * (2x + 1)) <<< 5.
uint32_t mix(uint32_t x)
{
    return rotl(x * (2 * x + 1), 5);
}

} // namespace

bool Rc6::setKey(const unsigned char* key, int length)
{
    if (!key)
        return false;
    if (length < 1)
        length = static_cast<int>(std::strlen(reinterpret_cast<const char*>(key)));
    if (length < 1 || length > MAX_KEY_SIZE)
        return false;

    int words = (length + 3) / 4;
    uint32_t l[(MAX_KEY_SIZE + 3) / 4] = {};
    for (int i = length - 1; i >= 0; i--)
        l[i / 4] = l[i / 4] << 8 | key[i];

    roundKeys_[0] = P32;
    for (int i = 1; i < KEY_WORDS; i++)
        roundKeys_[i] = roundKeys_[i - 1] + Q32;

    uint32_t a = 0, b = 0;
    int i = 0, j = 0;
    for (int s = 0; s < 3 * std::max(words, KEY_WORDS); s++) {
        a = roundKeys_[i] = rotl(roundKeys_[i] + a + b, 3);
        b = l[j] = rotl(l[j] + a + b, a + b);
        i = (i + 1) % KEY_WORDS;
        j = (j + 1) % words;
    }
    keyed_ = true;
    return true;
}

bool Rc6::encrypt(const unsigned char* in, unsigned char* out)
{
    if (!keyed_ || !in || !out)
        return false;
    uint32_t a = loadLE(in), b = loadLE(in + 4), c = loadLE(in + 8), d = loadLE(in + 12);
    b += roundKeys_[0];
    d += roundKeys_[1];
    for (int round = 1; round <= ROUNDS; round++) {
        uint32_t t = mix(b);
        uint32_t u = mix(d);
        a = rotl(a ^ t, u) + roundKeys_[2 * round];
        c = rotl(c ^ u, t) + roundKeys_[2 * round + 1];
        uint32_t first = a;
        a = b;
        b = c;
        c = d;
        d = first;
    }
    a += roundKeys_[2 * ROUNDS + 2];
    c += roundKeys_[2 * ROUNDS + 3];
    storeLE(a, out);
    storeLE(b, out + 4);
    storeLE(c, out + 8);
    storeLE(d, out + 12);
    return true;
}

bool Rc6::decrypt(const unsigned char* in, unsigned char* out)
{
    if (!keyed_ || !in || !out)
        return false;
    uint32_t a = loadLE(in), b = loadLE(in + 4), c = loadLE(in + 8), d = loadLE(in + 12);
    c -= roundKeys_[2 * ROUNDS + 3];
    a -= roundKeys_[2 * ROUNDS + 2];
    for (int round = ROUNDS; round >= 1; round--) {
        uint32_t last = d;
        d = c;
        c = b;
        b = a;
        a = last;
        uint32_t u = mix(d);
        uint32_t t = mix(b);
        c = rotr(c - roundKeys_[2 * round + 1], t) ^ u;
        a = rotr(a - roundKeys_[2 * round], u) ^ t;
    }
    d -= roundKeys_[1];
    b -= roundKeys_[0];
    storeLE(a, out);
    storeLE(b, out + 4);
    storeLE(c, out + 8);
    storeLE(d, out + 12);
    return true;
}

const char* Rc6::crypt(const char* key, const char* salt)
{
    Rc6 scratch;
    return CryptText::withCipher(scratch, BLOCK_BYTES, 32, key, salt, cryptText_);
}

} // namespace tessel
