#include "tessel/core/Des.h"

#include <cstring>

namespace tessel {

namespace {

// The tables of FIPS 46-3; bit 1 is the most significant bit.

constexpr uint8_t INITIAL_PERMUTATION[64] = {
    58, 50, 42, 34, 26, 18, 10, 2,  60, 52, 44, 36, 28, 20, 12, 4,  62, 54, 46, 38, 30, 22,
    14, 6,  64, 56, 48, 40, 32, 24, 16, 8,  57, 49, 41, 33, 25, 17, 9,  1,  59, 51, 43, 35,
    27, 19, 11, 3,  61, 53, 45, 37, 29, 21, 13, 5,  63, 55, 47, 39, 31, 23, 15, 7,
};

constexpr uint8_t P[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25,
};

constexpr uint8_t S[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}},
};

// Permuted choice 1: the 56 key bits that form C (first 28) and D.
constexpr uint8_t PC1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1, 58, 50, 42, 34, 26, 18, 10, 2, 59, 51, 43, 35, 27, 19, 11, 3, 60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7, 62, 54, 46, 38, 30, 22, 14, 6, 61, 53, 45, 37, 29, 21, 13, 5, 28, 20, 12, 4,
};

// Permuted choice 2: the 48 bits of C and D that form a round key.
constexpr uint8_t PC2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32,
};

constexpr int SHIFTS[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

// Output bit i is input bit table[i] (1 = most significant of inBits).
constexpr uint64_t permute(uint64_t in, const uint8_t* table, int outBits, int inBits)
{
    uint64_t out = 0;
    for (int i = 0; i < outBits; i++)
        out = out << 1 | ((in >> (inBits - table[i])) & 1);
    return out;
}

constexpr std::array<uint8_t, 64> inverse(const uint8_t* table)
{
    std::array<uint8_t, 64> out{};
    for (int i = 0; i < 64; i++)
        out[table[i] - 1] = static_cast<uint8_t>(i + 1);
    return out;
}

constexpr std::array<uint8_t, 64> FINAL_PERMUTATION = inverse(INITIAL_PERMUTATION);

constexpr Des::Table makeSPtrans()
{
    Des::Table table{};
    for (int box = 0; box < 8; box++) {
        for (int x = 0; x < 64; x++) {
            int row = ((x >> 4) & 2) | (x & 1);
            int column = (x >> 1) & 15;
            uint64_t placed = uint64_t(S[box][row][column]) << (28 - 4 * box);
            table[box][x] = static_cast<uint32_t>(permute(placed, P, 32, 32));
        }
    }
    return table;
}

// The positions (1-28) within C, or within D for `ofD`, that PC-2 reads,
// in increasing order: 24 of the 28.
constexpr std::array<uint8_t, 24> usedPositions(bool ofD)
{
    std::array<uint8_t, 24> used{};
    int count = 0;
    for (int position = 1; position <= 28; position++) {
        int bit = ofD ? position + 28 : position;
        for (int i = 0; i < 48; i++)
            if (PC2[i] == bit)
                used[count++] = static_cast<uint8_t>(position);
    }
    return used;
}

constexpr std::array<uint8_t, 24> USED_OF_C = usedPositions(false);
constexpr std::array<uint8_t, 24> USED_OF_D = usedPositions(true);

constexpr Des::Table makeSkb()
{
    Des::Table table{};
    for (int group = 0; group < 8; group++) {
        bool ofD = group >= 4;
        const std::array<uint8_t, 24>& used = ofD ? USED_OF_D : USED_OF_C;
        for (int x = 0; x < 64; x++) {
            uint32_t bits = 0;
            for (int j = 0; j < 6; j++) {
                if (!((x >> (5 - j)) & 1))
                    continue;
                int source = used[6 * (group % 4) + j] + (ofD ? 28 : 0);
                for (int k = 0; k < 24; k++)
                    if (PC2[k + (ofD ? 24 : 0)] == source)
                        bits |= 1u << (23 - k);
            }
            table[group][x] = bits;
        }
    }
    return table;
}

constexpr std::array<int, 16> makeShifts2()
{
    std::array<int, 16> out{};
    for (int i = 0; i < 16; i++)
        out[i] = SHIFTS[i] - 1;
    return out;
}

uint32_t rotateRight(uint32_t x, int n)
{
    return (x >> n) | (x << (32 - n));
}

uint32_t rotate28(uint32_t x, int n)
{
    return ((x << n) | (x >> (28 - n))) & 0x0FFFFFFF;
}

// The 24 bits of a 28-bit half that PC-2 uses, packed in order.
uint32_t gather(uint32_t half, const std::array<uint8_t, 24>& used)
{
    uint32_t packed = 0;
    for (uint8_t position : used)
        packed = packed << 1 | ((half >> (28 - position)) & 1);
    return packed;
}

uint32_t halfKey(uint32_t packed, int firstGroup)
{
    uint32_t bits = 0;
    for (int g = 0; g < 4; g++)
        bits |= Des::skb[firstGroup + g][(packed >> (18 - 6 * g)) & 63];
    return bits;
}

uint64_t loadBE(const unsigned char* p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; i++)
        v = v << 8 | p[i];
    return v;
}

void storeBE(uint64_t v, unsigned char* p)
{
    for (int i = 7; i >= 0; i--, v >>= 8)
        p[i] = static_cast<unsigned char>(v);
}

// The cipher function f(R, K): box b reads the six bits of the expanded R
// that start at bit 4b (bit 0 being bit 32), found by a rotation.
uint32_t feistel(uint32_t right, const unsigned char* roundKey)
{
    uint32_t out = 0;
    for (int box = 0; box < 8; box++) {
        uint32_t six = rotateRight(right, (27 - 4 * box) & 31) & 63;
        out |= Des::SPtrans[box][six ^ roundKey[box]];
    }
    return out;
}

} // namespace

const Des::Table Des::SPtrans = makeSPtrans();
const Des::Table Des::skb = makeSkb();
const std::array<int, Des::ROUNDS> Des::shifts2 = makeShifts2();

bool Des::setKey(const unsigned char* key, int length)
{
    if (!key)
        return false;
    if (length < 1)
        length = static_cast<int>(std::strlen(reinterpret_cast<const char*>(key)));
    if (length != KEY_SIZE)
        return false;

    uint64_t chosen = permute(loadBE(key), PC1, 56, 64);
    uint32_t c = static_cast<uint32_t>(chosen >> 28) & 0x0FFFFFFF;
    uint32_t d = static_cast<uint32_t>(chosen) & 0x0FFFFFFF;
    for (int round = 0; round < ROUNDS; round++) {
        c = rotate28(c, shifts2[round] + 1);
        d = rotate28(d, shifts2[round] + 1);
        uint32_t left = halfKey(gather(c, USED_OF_C), 0);
        uint32_t right = halfKey(gather(d, USED_OF_D), 4);
        for (int piece = 0; piece < 4; piece++) {
            roundKeys_[round][piece] = static_cast<unsigned char>((left >> (18 - 6 * piece)) & 63);
            roundKeys_[round][piece + 4] = static_cast<unsigned char>((right >> (18 - 6 * piece)) & 63);
        }
    }
    keyed_ = true;
    return true;
}

bool Des::_process(const unsigned char* in, unsigned char* out, bool decrypting) const
{
    if (!keyed_ || !in || !out)
        return false;
    uint64_t block = permute(loadBE(in), INITIAL_PERMUTATION, 64, 64);
    uint32_t left = static_cast<uint32_t>(block >> 32);
    uint32_t right = static_cast<uint32_t>(block);
    for (int i = 0; i < ROUNDS; i++) {
        int round = decrypting ? ROUNDS - 1 - i : i;
        uint32_t next = left ^ feistel(right, roundKeys_[round]);
        left = right;
        right = next;
    }
    uint64_t preOutput = uint64_t(right) << 32 | left;
    storeBE(permute(preOutput, FINAL_PERMUTATION.data(), 64, 64), out);
    return true;
}

bool Des::encrypt(const unsigned char* in, unsigned char* out)
{
    return _process(in, out, false);
}

bool Des::decrypt(const unsigned char* in, unsigned char* out)
{
    return _process(in, out, true);
}

const char* Des::crypt(const char* key, const char* salt)
{
    Des scratch;
    return CryptText::withCipher(scratch, BLOCK_BYTES, KEY_SIZE, key, salt, cryptText_);
}

} // namespace tessel
