#include "tessel/fs/IFileSystem.h"

namespace tessel {

namespace {

bool isSlash(char16_t c)
{
    return c == u'/' || c == u'\\';
}

// Where the path proper ends: at the first "?" (a query), or else at the
// first "#" (a fragment).
int pathEnd(const String& path)
{
    int end = path.indexOf(u'?');
    if (end < 0)
        end = path.indexOf(u'#');
    return end < 0 ? path.size() : end;
}

int lastSlashBefore(const String& path, int end)
{
    for (int i = end - 1; i >= 0; i--)
        if (isSlash(path[i]))
            return i;
    return -1;
}

} // namespace

String& IFileSystem::join(String& out, const String& a, const String& b)
{
    for (const String* part : {&a, &b}) {
        if (part->empty())
            continue;
        if (out.empty()) {
            out.append(*part);
            continue;
        }
        if (!isSlash(out[out.size() - 1]))
            out.append(getSeparator());
        if (isSlash((*part)[0]))
            out.append(part->c_str() + 1, part->size() - 1); // "/" alone appends nothing
        else
            out.append(*part);
    }
    normalize(out);
    return out;
}

String IFileSystem::fileName(const String& path)
{
    int end = pathEnd(path);
    int slash = lastSlashBefore(path, end);
    return path.substr(slash + 1, end - slash - 1);
}

String IFileSystem::dirName(const char16_t* path)
{
    String text(path);
    int end = text.indexOf(u'?');
    if (end < 0)
        end = text.size();
    if (end > 0 && isSlash(text[end - 1]))
        end--;
    int slash = lastSlashBefore(text, end);
    if (slash < 0)
        return String();
    // The directory of "/name" is the root itself.
    if (slash == 0 && text[0] == u'/')
        return String(u"/");
    return text.substr(0, slash);
}

} // namespace tessel
