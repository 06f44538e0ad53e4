#pragma once

#include <string>
#include <string_view>

namespace host {

// A request target as the pages may show it. Templates write request
// values as they are, so a "SERVER.REQUEST_URI" that carried a raw quote or
// angle bracket would let a crafted link write markup into the page. Every
// byte that a URL does not need as it is (quotes, "<", ">", "\", "`",
// braces, spaces, control and non-ASCII bytes) is percent-encoded; "%"
// itself stays, so what the browser already encoded is not encoded twice.
class UriText {
public:
    static std::string safe(std::string_view target);
    static bool isKept(unsigned char c);
};

} // namespace host
