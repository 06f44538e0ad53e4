#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// Dates in HTTP headers: "Sun, 06 Nov 1994 08:49:37 GMT".
class HttpDate {
public:
    static std::string format(int64_t secondsSince1970);
    // Reads the form format writes (the only one browsers send back in
    // If-Modified-Since); false for anything else.
    static bool parse(std::string_view text, int64_t& secondsSince1970);
};

} // namespace host
