#pragma once

// Hex helpers shared by the digest and cipher tests.

#include <string>
#include <vector>

namespace codec_test {

inline std::vector<unsigned char> bytes(const std::string& hex)
{
    std::vector<unsigned char> out;
    std::string digits;
    for (char c : hex)
        if (c != ' ')
            digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

inline std::string hex(const unsigned char* data, size_t n)
{
    static const char DIGITS[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < n; i++) {
        out += DIGITS[data[i] >> 4];
        out += DIGITS[data[i] & 15];
    }
    return out;
}

inline std::string hex(const std::vector<unsigned char>& data)
{
    return hex(data.data(), data.size());
}

inline std::vector<unsigned char> text(const std::string& s)
{
    return {s.begin(), s.end()};
}

// One 8-byte block through a block cipher keyed with `key` (both in hex):
// the cipher text in hex, after checking that decrypting gives the block
// back.
template <class Cipher>
std::string encryptBlockHex(const std::string& key, const std::string& plain)
{
    Cipher cipher;
    auto k = bytes(key);
    auto in = bytes(plain);
    unsigned char out[8];
    if (!cipher.setKey(k.data(), static_cast<int>(k.size())) || !cipher.encrypt(in.data(), out))
        return "failed";
    unsigned char back[8];
    cipher.decrypt(out, back);
    if (hex(back, 8) != hex(in))
        return "no round trip";
    return hex(out, 8);
}

} // namespace codec_test
