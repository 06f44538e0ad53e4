#include "host/Application.h"

#include "host/HostRequest.h"
#include "host/HttpDate.h"
#include "host/MimeTypes.h"
#include "host/PageName.h"
#include "host/PageServer.h"
#include "host/ServerOptions.h"
#include "host/Utf8.h"

namespace host {

namespace {

constexpr std::string_view STATIC_PREFIX = "/static/";
constexpr std::string_view DOWNLOAD_PREFIX = "/download/";
constexpr int NOT_MODIFIED = 304;
constexpr int FORBIDDEN = 403;
constexpr int NOT_FOUND = 404;
constexpr int NOT_ALLOWED = 405;

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

HostResponse notAllowed(const char* allow)
{
    HostResponse response = HostResponse::error(NOT_ALLOWED);
    response.setHeader("Allow", allow);
    return response;
}

// attachment; filename="plain"; filename*=UTF-8''percent-encoded
std::string attachmentOf(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);
    std::string plain;
    std::string encoded;
    static const char HEX[] = "0123456789ABCDEF";
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        bool simple = u > 0x20 && u < 0x7F && c != '"' && c != '\\' && c != '%' && c != ';';
        plain += simple ? c : '_';
        if (simple && c != '\'' && c != '*') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += HEX[u >> 4];
            encoded += HEX[u & 15];
        }
    }
    return "attachment; filename=\"" + plain + "\"; filename*=UTF-8''" + encoded;
}

} // namespace

Application::Application(const ServerOptions& options, PageServer& pages)
    : static_(options.appFolder + "/static"), downloads_(options.dataFolder + "/download"), pages_(pages),
      startPage_(Utf8::decode(options.startPage))
{
}

bool Application::mayUpload(const HostRequest& request)
{
    return pages_.isSignedIn(request);
}

int Application::onTimer()
{
    return pages_.onTimer();
}

HostResponse Application::handle(HostRequest& request)
{
    const std::string& path = request.path;
    if (startsWith(path, STATIC_PREFIX))
        return serveStatic(request, std::string_view(path).substr(STATIC_PREFIX.size()));
    if (path == "/favicon.ico")
        return serveStatic(request, "favicon.ico");
    if (startsWith(path, DOWNLOAD_PREFIX))
        return serveDownload(request, std::string_view(path).substr(DOWNLOAD_PREFIX.size()));
    return servePage(request);
}

HostResponse Application::serveStatic(HostRequest& request, std::string_view encoded)
{
    if (request.method != "GET" && request.method != "HEAD")
        return notAllowed("GET, HEAD");
    FileInfo file;
    if (!static_.find(encoded, file))
        return HostResponse::error(NOT_FOUND);
    return fileResponse(request, file, STATIC_CACHE);
}

HostResponse Application::serveDownload(HostRequest& request, std::string_view encodedName)
{
    if (request.method != "GET" && request.method != "HEAD")
        return notAllowed("GET, HEAD");
    if (!pages_.isSignedIn(request))
        return HostResponse::error(FORBIDDEN);
    FileInfo file;
    if (!downloads_.find(encodedName, pages_.downloadFolderOf(request), file))
        return HostResponse::error(NOT_FOUND);
    HostResponse response = fileResponse(request, file, "private, no-store");
    response.setHeader("Content-Disposition", attachmentOf(file.path));
    return response;
}

HostResponse Application::servePage(HostRequest& request)
{
    tessel::String page = PageName::fromPath(request.path, startPage_);
    if (page.empty())
        return HostResponse::error(NOT_FOUND);
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST")
        return notAllowed("GET, HEAD, POST");
    return pages_.serve(page, request);
}

HostResponse Application::fileResponse(const HostRequest& request, const FileInfo& file, const char* cacheControl)
{
    HostResponse response;
    response.setHeader("Last-Modified", HttpDate::format(file.modified));
    response.setHeader("Cache-Control", cacheControl);
    int64_t since = 0;
    if (HttpDate::parse(request.header("If-Modified-Since"), since) && file.modified <= since) {
        response.status = NOT_MODIFIED;
        return response;
    }
    response.setHeader("Content-Type", MimeTypes::forPath(file.path));
    response.file = file;
    response.hasFile = true;
    return response;
}

} // namespace host
