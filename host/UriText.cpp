#include "host/UriText.h"

namespace host {

bool UriText::isKept(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '/':
    case '?':
    case '&':
    case '=':
    case '%':
    case '+':
    case ',':
    case ';':
    case ':':
    case '@':
    case '!':
    case '$':
    case '*':
    case '(':
    case ')': return true;
    default: return false;
    }
}

std::string UriText::safe(std::string_view target)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(target.size());
    for (char c : target) {
        unsigned char u = static_cast<unsigned char>(c);
        if (isKept(u)) {
            out += c;
            continue;
        }
        out += '%';
        out += HEX[u >> 4];
        out += HEX[u & 15];
    }
    return out;
}

} // namespace host
