#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// The cookies of a request's Cookie header ("a=1; b=2"), in arrival order,
// as raw bytes (the page glue reads them as UTF-8, the session id among
// them). A value in double quotes loses its quotes; pieces without a name
// or without "=" are skipped.
class CookieHeader {
public:
    struct Cookie {
        std::string name;
        std::string value;
    };

    static constexpr size_t MAX_COOKIES = 100;

    static std::vector<Cookie> parse(std::string_view header, size_t maxCookies = MAX_COOKIES);
};

} // namespace host
