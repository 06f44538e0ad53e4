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

inline std::string hex(const std::vector<unsigned char>& data) { return hex(data.data(), data.size()); }

inline std::vector<unsigned char> text(const std::string& s) { return {s.begin(), s.end()}; }

} // namespace codec_test
