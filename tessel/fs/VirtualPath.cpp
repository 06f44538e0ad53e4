#include "tessel/fs/VirtualPath.h"

#include <vector>

namespace tessel {

namespace {

bool isSlash(char16_t c)
{
    return c == u'/' || c == u'\\';
}

bool isDot(const char16_t* part, int length)
{
    return length == 1 && part[0] == u'.';
}

bool isDotDot(const char16_t* part, int length)
{
    return length == 2 && part[0] == u'.' && part[1] == u'.';
}

struct Part {
    int start;
    int length;
};

} // namespace

bool VirtualPath::isAbsolute(const String& path)
{
    return !path.empty() && isSlash(path[0]);
}

String VirtualPath::normalize(const String& path)
{
    bool absolute = isAbsolute(path);
    const char16_t* text = path.c_str();
    std::vector<Part> parts;
    int leadingUps = 0; // ".." a relative path keeps in front
    for (int i = 0; i < path.size();) {
        while (i < path.size() && isSlash(text[i]))
            i++;
        int start = i;
        while (i < path.size() && !isSlash(text[i]))
            i++;
        int length = i - start;
        if (length == 0 || isDot(text + start, length))
            continue;
        if (isDotDot(text + start, length)) {
            if (!parts.empty())
                parts.pop_back();
            else if (!absolute)
                leadingUps++;
            continue;
        }
        parts.push_back({start, length});
    }
    String result(path.size() + 2);
    for (int i = 0; i < leadingUps; i++) {
        if (i > 0)
            result.append(u'/');
        result.append(u"..");
    }
    for (size_t i = 0; i < parts.size(); i++) {
        if (absolute || i > 0 || leadingUps > 0)
            result.append(u'/');
        result.append(text + parts[i].start, parts[i].length);
    }
    if (result.empty() && !path.empty())
        result.append(absolute ? u'/' : u'.');
    return result;
}

String VirtualPath::resolve(const String& current, const String& path)
{
    if (isAbsolute(path))
        return normalize(path);
    String joined(current.size() + path.size() + 2);
    joined.append(current.empty() ? String(u"/") : current);
    joined.append(u'/');
    joined.append(path);
    return normalize(joined);
}

bool VirtualPath::isWithin(const String& path, const String& folder, bool caseSensitive)
{
    int n = folder.size();
    while (n > 1 && isSlash(folder[n - 1]))
        n--;
    if (n == 1 && isSlash(folder[0]))
        return isAbsolute(path); // everything absolute lies below "/"
    if (path.size() < n)
        return false;
    int same = caseSensitive ? path.compare(folder.c_str(), n, 0) : path.compareIgnoreCase(folder.c_str(), n, 0);
    return same == 0 && (path.size() == n || isSlash(path[n]));
}

bool VirtualPath::hasDotParts(const String& path)
{
    const char16_t* text = path.c_str();
    for (int i = 0; i < path.size();) {
        while (i < path.size() && isSlash(text[i]))
            i++;
        int start = i;
        while (i < path.size() && !isSlash(text[i]))
            i++;
        if (isDot(text + start, i - start) || isDotDot(text + start, i - start))
            return true;
    }
    return false;
}

} // namespace tessel
