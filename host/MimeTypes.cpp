#include "host/MimeTypes.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

struct MimeEntry {
    const char* extension;
    const char* type;
};

// The framework's table, and what a browser needs beyond it for styles,
// scripts and fonts.
const MimeEntry MIME_TABLE[] = {
    {"txt", "text/plain"},
    {"htm", "text/html"},
    {"html", "text/html"},
    {"shtml", "text/html"},
    {"css", "text/css"},
    {"js", "application/x-javascript"},
    {"mjs", "application/x-javascript"},
    {"json", "application/json"},
    {"map", "application/json"},
    {"doc", "text/vnd.ms-word"},
    {"xls", "application/vnd.ms-excel"},
    {"png", "image/png"},
    {"gif", "image/gif"},
    {"jpg", "image/jpeg"},
    {"jpeg", "image/jpeg"},
    {"jpe", "image/jpeg"},
    {"bmp", "image/bmp"},
    {"ico", "image/x-icon"},
    {"webp", "image/webp"},
    {"svg", "image/svg+xml"},
    {"woff", "font/woff"},
    {"woff2", "font/woff2"},
    {"ttf", "font/ttf"},
    {"otf", "font/otf"},
    {"zip", "application/zip"},
    {"rar", "application/x-rar"},
    {"gz", "application/x-gzip"},
    {"tar", "application/x-tar"},
    {"xml", "application/xml"},
    {"csv", "text/csv"},
    {"rtf", "text/rtf"},
    {"pdf", "application/pdf"},
    {"swf", "application/x-shockwave-flash"},
    {"ppt", "application/vnd.ms-powerpoint"},
    {"mp2", "audio/mpeg"},
    {"mp3", "audio/mpeg"},
    {"mpga", "audio/mpeg"},
    {"mpg", "video/mpeg"},
    {"mpe", "video/mpeg"},
    {"mpeg", "video/mpeg"},
    {"avi", "video/x-msvideo"},
    {"wrl", "model/vrml"},
    {"vrml", "model/vrml"},
    {"rm", "application/vnd.rn-realmedia"},
};

} // namespace

std::string MimeTypes::forPath(std::string_view path)
{
    size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        std::string_view extension = name.substr(dot + 1);
        for (const MimeEntry& entry : MIME_TABLE) {
            if (HeaderValue::equalsIgnoreCase(extension, entry.extension))
                return entry.type;
        }
    }
    return "application/octet-stream";
}

} // namespace host
