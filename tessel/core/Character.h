#pragma once

namespace tessel {

// Case mapping and character classes of single UTF-16 units, as the wide
// character functions of a C runtime give them. Backed by ICU; ASCII takes
// a fast path.
class Character {
public:
    static char16_t toLower(char16_t c);
    static char16_t toUpper(char16_t c);
    static bool isAlpha(char16_t c);
    static bool isDigit(char16_t c);
    static bool isSpace(char16_t c);
    static bool isUpper(char16_t c);
    static bool isLower(char16_t c);
    // Upper, lower, digit or alphabetic.
    static bool isAlnum(char16_t c) { return isAlpha(c) || isDigit(c); }
};

} // namespace tessel
