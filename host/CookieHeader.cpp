#include "host/CookieHeader.h"

#include "host/HeaderValue.h"

namespace host {

std::vector<CookieHeader::Cookie> CookieHeader::parse(std::string_view header, size_t maxCookies)
{
    std::vector<Cookie> cookies;
    while (!header.empty() && cookies.size() < maxCookies) {
        size_t end = header.find(';');
        std::string_view piece = header.substr(0, end);
        header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
        size_t eq = piece.find('=');
        if (eq == std::string_view::npos)
            continue;
        std::string_view name = HeaderValue::trim(piece.substr(0, eq));
        std::string_view value = HeaderValue::trim(piece.substr(eq + 1));
        if (name.empty())
            continue;
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        cookies.push_back({std::string(name), std::string(value)});
    }
    return cookies;
}

} // namespace host
