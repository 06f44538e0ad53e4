#pragma once

#include <string>
#include <string_view>

#include "host/SafePath.h"

namespace host {

// The application's static files (styles, scripts, images), served from
// one folder and its subfolders only. Files that only belong to the server
// (configuration, databases, logs, libraries, backups) are refused even if
// somebody put them there.
class StaticFiles {
public:
    explicit StaticFiles(std::string folder);

    // `encoded` is the URL path after the "/static/" prefix, still
    // percent-encoded. False when refused or not there.
    bool find(std::string_view encoded, FileInfo& out);

    static bool isServable(std::string_view decodedPath);

private:
    std::string folder_;
    std::string realRoot_;
};

} // namespace host
