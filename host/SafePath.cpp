#include "host/SafePath.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "host/HeaderValue.h"
#include "host/PercentEscape.h"

namespace host {

namespace {

// Decodes %XX strictly: a "%" without two hexadecimal digits, or one that
// encodes a byte with a meaning in paths, refuses the whole path.
bool percentDecode(std::string_view text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '%') {
            out += c;
            continue;
        }
        int escaped = PercentEscape::byteAt(text, i);
        if (escaped < 0)
            return false;
        char decoded = static_cast<char>(escaped);
        if (decoded == '.' || decoded == '/' || decoded == '\\' || decoded == '\0')
            return false;
        out += decoded;
        i += 2;
    }
    return true;
}

bool isSafeSegment(std::string_view segment)
{
    if (segment.empty() || segment.front() == '.')
        return false;
    for (char c : segment) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '\\')
            return false;
    }
    return true;
}

} // namespace

bool SafePath::decodeRelative(std::string_view encoded, bool allowFolders, std::string& out)
{
    if (encoded.empty() || encoded.size() > MAX_PATH)
        return false;
    std::string decoded;
    if (!percentDecode(encoded, decoded))
        return false;
    std::string_view rest(decoded);
    while (true) {
        size_t slash = rest.find('/');
        if (slash != std::string_view::npos && !allowFolders)
            return false;
        if (!isSafeSegment(rest.substr(0, slash)))
            return false;
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    out = std::move(decoded);
    return true;
}

std::string SafePath::realFolder(const std::string& folder)
{
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real)
        return std::string();
    std::string result(real);
    std::free(real);
    struct stat info {};
    if (::stat(result.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::string();
    return result;
}

bool SafePath::resolveInside(const std::string& realRoot, const std::string& relative, FileInfo& out)
{
    if (realRoot.empty() || relative.empty())
        return false;
    std::string joined = realRoot + "/" + relative;
    char* real = ::realpath(joined.c_str(), nullptr);
    if (!real)
        return false;
    std::string resolved(real);
    std::free(real);
    std::string prefix = realRoot == "/" ? realRoot : realRoot + "/";
    if (resolved.size() <= prefix.size() || resolved.compare(0, prefix.size(), prefix) != 0)
        return false;
    struct stat info {};
    if (::stat(resolved.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    out.path = std::move(resolved);
    out.size = static_cast<uint64_t>(info.st_size);
    out.modified = static_cast<int64_t>(info.st_mtime);
    return true;
}

} // namespace host
