#pragma once

#include <string>
#include <string_view>

namespace host {

// The Content-Type of a served file by its extension. One function, so that
// the framework's own table can take its place.
class MimeTypes {
public:
    // "application/octet-stream" for an unknown or missing extension.
    static std::string forPath(std::string_view path);
};

} // namespace host
