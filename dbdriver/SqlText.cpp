#include "dbdriver/SqlText.h"

#include <charconv>
#include <string>

using tessel::String;

namespace {

constexpr int MAX_IDENTIFIER = 64;

bool isLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Numbers are ASCII; anything else cannot be one.
bool toAscii(const String& text, std::string& out)
{
    out.clear();
    for (int i = 0; i < text.size(); i++) {
        char16_t c = text[i];
        if (c == 0 || c > 0x7f)
            return false;
        out.push_back(static_cast<char>(c));
    }
    return !out.empty();
}

String fromAscii(const char* begin, const char* end)
{
    String out;
    for (const char* p = begin; p < end; p++)
        out.append(static_cast<char16_t>(*p));
    return out;
}

String doubled(const String& text, char16_t quote)
{
    String out(text.size() + 2);
    out.append(quote);
    for (int i = 0; i < text.size(); i++) {
        out.append(text[i]);
        if (text[i] == quote)
            out.append(quote);
    }
    out.append(quote);
    return out;
}

} // namespace

bool SqlText::isIdentifier(const String& name)
{
    if (name.empty() || name.size() > MAX_IDENTIFIER || !isLetter(name[0]))
        return false;
    for (int i = 1; i < name.size(); i++)
        if (!isLetter(name[i]) && !isDigit(name[i]))
            return false;
    return !name.startsWithIgnoreCase(u"sqlite_");
}

String SqlText::quoteIdentifier(const String& name)
{
    return doubled(name, u'"');
}

String SqlText::quoteLiteral(const String& text)
{
    return doubled(text, u'\'');
}

String SqlText::escape(const String& text)
{
    String out(text.size() + 8);
    for (int i = 0; i < text.size(); i++) {
        out.append(text[i]);
        if (text[i] == u'\'')
            out.append(u'\'');
    }
    return out;
}

bool SqlText::parseInt64(const String& text, int64_t& out)
{
    std::string ascii;
    if (!toAscii(text, ascii))
        return false;
    const char* end = ascii.data() + ascii.size();
    auto result = std::from_chars(ascii.data(), end, out);
    return result.ec == std::errc() && result.ptr == end;
}

bool SqlText::parseDouble(const String& text, double& out)
{
    std::string ascii;
    if (!toAscii(text, ascii))
        return false;
    const char* end = ascii.data() + ascii.size();
    auto result = std::from_chars(ascii.data(), end, out, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == end;
}

String SqlText::formatDouble(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return fromAscii(buffer, result.ptr);
}

String SqlText::formatInt64(int64_t value)
{
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return fromAscii(buffer, result.ptr);
}
