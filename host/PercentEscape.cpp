#include "host/PercentEscape.h"

namespace host {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

int PercentEscape::byteAt(std::string_view text, size_t at)
{
    if (at >= text.size() || text.size() - at < 3 || text[at] != '%')
        return -1;
    int high = hexValue(text[at + 1]);
    int low = hexValue(text[at + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

} // namespace host
