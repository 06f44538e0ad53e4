#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/SafePath.h"

namespace host {

// One answer as the routes and the page glue give it to the transport: a
// status, headers, and either a text body or a file sent as it is.
class HostResponse {
public:
    using Header = std::pair<std::string, std::string>;

    int status = 200;
    std::vector<Header> headers;
    std::string body;
    FileInfo file; // sent instead of body when hasFile
    bool hasFile = false;
    bool close = false; // end the connection after this answer
    // Not an answer yet: the page asked for the request's password
    // question to be checked, and then to run again.
    bool checkPassword = false;

    // A small HTML page naming the status ("404 Not Found").
    static HostResponse error(int status);
    static HostResponse text(int status, std::string_view contentType, std::string body);
    static const char* reasonOf(int status);

    // Replaces the first header of that name (ignoring case), else appends.
    void setHeader(std::string_view name, std::string_view value);
    std::string header(std::string_view name) const;
    uint64_t bodySize() const { return hasFile ? file.size : body.size(); }
};

} // namespace host
