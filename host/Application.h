#pragma once

#include <string>

#include "tessel/core/String.h"

#include "host/Downloads.h"
#include "host/HostResponse.h"
#include "host/StaticFiles.h"

namespace host {

class HostRequest;
class PageServer;
struct ServerOptions;

// The host's routes:
//   /static/PATH    a file of <app>/static
//   /favicon.ico    <app>/static/favicon.ico
//   /download/NAME  a file of <data>/download, for signed-in visitors
//   /PAGE[.htm]     a page of the application, "/" the start page
// Anything else is 404.
class Application {
public:
    static constexpr const char* STATIC_CACHE = "public, max-age=3600";

    Application(const ServerOptions& options, PageServer& pages);

    HostResponse handle(HostRequest& request);
    // Whether the request may send files (multipart bodies): signed-in
    // visitors only, asked from the header before any byte is stored.
    bool mayUpload(const HostRequest& request);
    int onTimer();

private:
    HostResponse serveStatic(HostRequest& request, std::string_view encoded);
    HostResponse serveDownload(HostRequest& request, std::string_view encodedName);
    HostResponse servePage(HostRequest& request);
    static HostResponse fileResponse(const HostRequest& request, const FileInfo& file, const char* cacheControl);

    StaticFiles static_;
    Downloads downloads_;
    PageServer& pages_;
    tessel::String startPage_;
};

} // namespace host
