#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// One line per request on standard error:
//   GET /static/site.css 200 1843 0.4ms
// Method and path are written with anything unprintable escaped, so a
// client cannot forge log lines.
class RequestLog {
public:
    static std::string line(std::string_view method, std::string_view path, int status, uint64_t bytes,
                            double milliseconds);
    static void write(std::string_view method, std::string_view path, int status, uint64_t bytes, double milliseconds);
};

} // namespace host
