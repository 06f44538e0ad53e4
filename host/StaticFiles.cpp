#include "host/StaticFiles.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

const char* const REFUSED_EXTENSIONS[] = {
    "ini", "conf", "cfg", "db", "db3", "sqlite", "sqlite3", "log", "so", "dll", "exe", "bak", "tmp", "key", "pem",
};

const char* const REFUSED_NAMES[] = {"config.xml", "array.xml", "message.ini", "settings.ini"};

} // namespace

StaticFiles::StaticFiles(std::string folder) : folder_(std::move(folder)) {}

bool StaticFiles::isServable(std::string_view decodedPath)
{
    size_t slash = decodedPath.rfind('/');
    std::string_view name = slash == std::string_view::npos ? decodedPath : decodedPath.substr(slash + 1);
    for (const char* refused : REFUSED_NAMES) {
        if (HeaderValue::equalsIgnoreCase(name, refused))
            return false;
    }
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return true;
    std::string_view extension = name.substr(dot + 1);
    for (const char* refused : REFUSED_EXTENSIONS) {
        if (HeaderValue::equalsIgnoreCase(extension, refused))
            return false;
    }
    return true;
}

bool StaticFiles::find(std::string_view encoded, FileInfo& out)
{
    std::string relative;
    if (!SafePath::decodeRelative(encoded, true, relative) || !isServable(relative))
        return false;
    if (realRoot_.empty())
        realRoot_ = SafePath::realFolder(folder_);
    return SafePath::resolveInside(realRoot_, relative, out);
}

} // namespace host
