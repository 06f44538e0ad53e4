#include "tessel/core/Formatter.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "tessel/core/CodePage.h"

namespace tessel {

namespace {

enum class Length { None, Char, Short, Long, LongLong, IntMax, Size, PtrDiff, LongDouble };

struct Directive {
    char flags[8] = {};
    int flagCount = 0;
    int width = -1;
    int precision = -1;
    Length length = Length::None;
    char conversion = 0;

    bool leftAlign() const { return std::strchr(flags, '-') != nullptr; }
};

bool isFlag(char16_t c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'#' || c == u'0';
}

// Widths and precisions beyond this are cut to it: no sensible output is
// that wide, and larger numbers would overflow while they are read.
constexpr int MAX_FIELD = 1 << 20;

int clampField(long long value)
{
    return value > MAX_FIELD ? MAX_FIELD : static_cast<int>(value);
}

// Reads the decimal digits at p into value, stopping at MAX_FIELD.
const char16_t* readField(const char16_t* p, int& value)
{
    long long digits = 0;
    for (; *p >= u'0' && *p <= u'9'; p++)
        digits = digits > MAX_FIELD ? digits : digits * 10 + (*p - u'0');
    value = clampField(digits);
    return p;
}

// The narrow printf pattern for the C library, e.g. "%-08.3lld".
std::string narrowPattern(const Directive& directive, const char* length)
{
    std::string text = "%";
    text += directive.flags;
    if (directive.width >= 0)
        text += std::to_string(directive.width);
    if (directive.precision >= 0)
        text += "." + std::to_string(directive.precision);
    text += length;
    text += directive.conversion;
    return text;
}

template <class T>
void appendNumber(std::u16string& out, const Directive& directive, const char* length, T value)
{
    std::string pattern = narrowPattern(directive, length);
    char small[128];
    int needed = std::snprintf(small, sizeof small, pattern.c_str(), value);
    if (needed < 0)
        return;
    if (needed < static_cast<int>(sizeof small)) {
        out.append(small, small + needed);
        return;
    }
    std::string large(static_cast<size_t>(needed) + 1, '\0');
    std::snprintf(large.data(), large.size(), pattern.c_str(), value);
    out.append(large.begin(), large.begin() + needed);
}

void appendPadded(std::u16string& out, const Directive& directive, const char16_t* text, size_t length)
{
    size_t width = directive.width > 0 ? static_cast<size_t>(directive.width) : 0;
    size_t padding = width > length ? width - length : 0;
    if (!directive.leftAlign())
        out.append(padding, u' ');
    out.append(text, length);
    if (directive.leftAlign())
        out.append(padding, u' ');
}

void appendText(std::u16string& out, const Directive& directive, const char16_t* text)
{
    if (!text)
        text = u"(null)";
    size_t length = 0;
    size_t limit = directive.precision >= 0 ? static_cast<size_t>(directive.precision) : SIZE_MAX;
    while (length < limit && text[length])
        length++;
    appendPadded(out, directive, text, length);
}

void appendNarrowText(std::u16string& out, const Directive& directive, const char* text)
{
    if (!text)
        text = "(null)";
    int bytes = static_cast<int>(std::strlen(text));
    std::u16string wide(static_cast<size_t>(bytes), u'\0');
    wide.resize(static_cast<size_t>(CodePage::decode(CodePage::UTF8, text, bytes, wide.data(), bytes)));
    appendText(out, directive, wide.c_str());
}

void appendInteger(std::u16string& out, const Directive& directive, va_list& args)
{
    bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
    switch (directive.length) {
    case Length::LongLong:
    case Length::IntMax:
        if (isSigned)
            appendNumber(out, directive, "ll", va_arg(args, long long));
        else
            appendNumber(out, directive, "ll", va_arg(args, unsigned long long));
        break;
    case Length::Long:
    case Length::Size:
    case Length::PtrDiff:
        if (isSigned)
            appendNumber(out, directive, "l", va_arg(args, long));
        else
            appendNumber(out, directive, "l", va_arg(args, unsigned long));
        break;
    case Length::Short: appendNumber(out, directive, "h", va_arg(args, int)); break;
    case Length::Char: appendNumber(out, directive, "hh", va_arg(args, int)); break;
    default:
        if (isSigned)
            appendNumber(out, directive, "", va_arg(args, int));
        else
            appendNumber(out, directive, "", va_arg(args, unsigned));
        break;
    }
}

void appendFloating(std::u16string& out, const Directive& directive, va_list& args)
{
    if (directive.length == Length::LongDouble)
        appendNumber(out, directive, "L", va_arg(args, long double));
    else
        appendNumber(out, directive, "", va_arg(args, double));
}

// Reads flags, width, precision and length of one conversion; `p` points
// just after the "%". Returns the position after the conversion character.
const char16_t* parseDirective(const char16_t* p, Directive& directive, va_list& args)
{
    while (isFlag(*p) && directive.flagCount < 6)
        directive.flags[directive.flagCount++] = static_cast<char>(*p++);
    if (*p == u'*') {
        long long width = va_arg(args, int);
        if (width < 0) {
            if (directive.flagCount < 6)
                directive.flags[directive.flagCount++] = '-';
            width = -width;
        }
        directive.width = clampField(width);
        p++;
    } else if (*p >= u'0' && *p <= u'9') {
        p = readField(p, directive.width);
    }
    if (*p == u'.') {
        p++;
        directive.precision = 0;
        if (*p == u'*') {
            int precision = va_arg(args, int);
            directive.precision = precision < 0 ? -1 : clampField(precision); // negative: as if omitted
            p++;
        } else {
            p = readField(p, directive.precision);
        }
    }
    switch (*p) {
    case u'h':
        p++;
        directive.length = Length::Short;
        if (*p == u'h') {
            p++;
            directive.length = Length::Char;
        }
        break;
    case u'l':
        p++;
        directive.length = Length::Long;
        if (*p == u'l') {
            p++;
            directive.length = Length::LongLong;
        }
        break;
    case u'j':
        p++;
        directive.length = Length::IntMax;
        break;
    case u'z':
        p++;
        directive.length = Length::Size;
        break;
    case u't':
        p++;
        directive.length = Length::PtrDiff;
        break;
    case u'L':
        p++;
        directive.length = Length::LongDouble;
        break;
    case u'I':
        if (p[1] == u'6' && p[2] == u'4') {
            p += 3;
            directive.length = Length::LongLong;
        } else if (p[1] == u'3' && p[2] == u'2') {
            p += 3;
        }
        break;
    default: break;
    }
    directive.conversion = *p < 128 ? static_cast<char>(*p) : 0;
    return *p ? p + 1 : p;
}

} // namespace

void Formatter::append(std::u16string& out, const char16_t* format, va_list args)
{
    if (!format)
        return;
    va_list cursor;
    va_copy(cursor, args);
    const char16_t* p = format;
    while (*p) {
        const char16_t* percent = p;
        while (*percent && *percent != u'%')
            percent++;
        out.append(p, static_cast<size_t>(percent - p));
        if (!*percent)
            break;
        if (percent[1] == u'%') {
            out.push_back(u'%');
            p = percent + 2;
            continue;
        }
        Directive directive;
        const char16_t* next = parseDirective(percent + 1, directive, cursor);
        switch (directive.conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X': appendInteger(out, directive, cursor); break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A': appendFloating(out, directive, cursor); break;
        case 'c': {
            char16_t unit = static_cast<char16_t>(va_arg(cursor, int));
            appendPadded(out, directive, &unit, 1);
            break;
        }
        case 's':
            if (directive.length == Length::Short)
                appendNarrowText(out, directive, va_arg(cursor, const char*));
            else
                appendText(out, directive, va_arg(cursor, const char16_t*));
            break;
        case 'S': appendNarrowText(out, directive, va_arg(cursor, const char*)); break;
        case 'p': appendNumber(out, directive, "", va_arg(cursor, void*)); break;
        case 'n':
            (void)va_arg(cursor, void*); // never written through
            break;
        default:
            // Not a conversion: keep the text as written.
            out.append(percent, static_cast<size_t>(next - percent));
            break;
        }
        p = next;
    }
    va_end(cursor);
}

std::u16string Formatter::format(const char16_t* format, ...)
{
    std::u16string out;
    va_list args;
    va_start(args, format);
    append(out, format, args);
    va_end(args);
    return out;
}

} // namespace tessel
