#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

// A regular file found inside a served folder.
struct FileInfo {
    std::string path; // real path
    uint64_t size = 0;
    int64_t modified = 0; // seconds since 1970
};

// The checks that keep a URL path inside the folder it is served from. A
// path is refused before it touches the file system when it could climb
// ("..", "\"), hide (NUL, control characters, names starting with "."), or
// say any of that percent-encoded; what passes is resolved with realpath
// and must still lie inside the folder, so a symbolic link cannot lead out.
class SafePath {
public:
    static constexpr size_t MAX_PATH = 1024;

    // Decodes a percent-encoded relative path ("css/site.css"). With
    // `allowFolders` false the path must be a bare name. False when refused.
    static bool decodeRelative(std::string_view encoded, bool allowFolders, std::string& out);

    // The real path of a folder, or empty when it does not exist.
    static std::string realFolder(const std::string& folder);

    // Finds `relative` (already decoded and checked) inside `realRoot` (a
    // real folder path): false unless it resolves to a regular file there.
    static bool resolveInside(const std::string& realRoot, const std::string& relative, FileInfo& out);
};

} // namespace host
