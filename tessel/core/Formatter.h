#pragma once

#include <cstdarg>
#include <string>

namespace tessel {

// printf-style formatting into UTF-16 text. Conversions: %d %i %u %o %x %X
// %f %F %e %E %g %G %a %A %c %s %p %%, with the flags "-+ #0", a width and a
// precision (either may be "*"; both are capped at 1,048,576), and the length modifiers hh h l ll j z t L
// and I64. %s (and %ls) takes a NUL-terminated UTF-16 text, %hs and %S a
// UTF-8 text, %c one UTF-16 unit. Numbers are written by the C library, so
// rounding is the C library's. %n is accepted and writes nothing.
class Formatter {
public:
    // Appends the formatted text to `out`.
    static void append(std::u16string& out, const char16_t* format, va_list args);
    static std::u16string format(const char16_t* format, ...);
};

} // namespace tessel
