#include "tessel/core/Character.h"

#include <unicode/uchar.h>

namespace tessel {

namespace {

char16_t narrow(UChar32 mapped, char16_t original)
{
    // A simple case mapping that leaves the BMP cannot be held in one unit.
    return mapped >= 0 && mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : original;
}

} // namespace

char16_t Character::toLower(char16_t c)
{
    if (c < 128)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    return narrow(u_tolower(c), c);
}

char16_t Character::toUpper(char16_t c)
{
    if (c < 128)
        return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
    return narrow(u_toupper(c), c);
}

bool Character::isAlpha(char16_t c)
{
    if (c < 128)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    return u_isalpha(c);
}

bool Character::isDigit(char16_t c)
{
    if (c < 128)
        return c >= u'0' && c <= u'9';
    return u_isdigit(c);
}

bool Character::isSpace(char16_t c)
{
    if (c < 128)
        return c == u' ' || (c >= 9 && c <= 13);
    return u_isspace(c);
}

bool Character::isUpper(char16_t c)
{
    return c < 128 ? c >= u'A' && c <= u'Z' : u_isupper(c);
}

bool Character::isLower(char16_t c)
{
    return c < 128 ? c >= u'a' && c <= u'z' : u_islower(c);
}

} // namespace tessel
