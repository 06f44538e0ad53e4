#include "tessel/web/HttpUpload.h"

#include "tessel/core/IInputStream.h"
#include "tessel/core/System.h"

namespace tessel {

namespace {

bool isSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

} // namespace

void HttpUpload::setFileName(const String& fileName)
{
    int start = fileName.size();
    while (start > 0 && !isSeparator(fileName[start - 1]))
        start--;
    String bare;
    for (int i = start; i < fileName.size(); i++)
        if (fileName[i] >= 0x20)
            bare += fileName[i];
    if (bare == u"." || bare == u"..")
        bare.clear();
    fileName_ = bare;
}

bool HttpUpload::open(IInputStream** out) const
{
    if (isError() || !out || fullPath_.empty())
        return false;
    return System::getInstance().open(fullPath_, out);
}

bool HttpUpload::moveTo(const String& target, bool overwrite)
{
    if (isError() || fullPath_.empty() || !isPlainPath(target))
        return false;
    if (!System::getInstance().moveFile(fullPath_, target, overwrite))
        return false;
    fullPath_ = target;
    return true;
}

bool HttpUpload::isPlainPath(const String& path)
{
    if (path.empty() || isSeparator(path[path.size() - 1]))
        return false;
    int start = 0;
    for (int i = 0; i <= path.size(); i++) {
        if (i < path.size() && path[i] == 0)
            return false;
        if (i < path.size() && !isSeparator(path[i]))
            continue;
        String step = path.substr(start, i - start);
        if (step == u".." || (i == path.size() && step == u"."))
            return false;
        start = i + 1;
    }
    return true;
}

} // namespace tessel
