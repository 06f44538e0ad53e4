#include "host/Downloads.h"

namespace host {

Downloads::Downloads(std::string folder) : folder_(std::move(folder)) {}

bool Downloads::find(std::string_view encodedName, const std::string& ownFolder, FileInfo& out)
{
    std::string name;
    if (!SafePath::decodeRelative(encodedName, true, name))
        return false;
    size_t slash = name.find('/');
    if (slash != std::string::npos &&
        (ownFolder.empty() || name.compare(0, slash, ownFolder) != 0 || name.find('/', slash + 1) != std::string::npos))
        return false;
    if (realRoot_.empty())
        realRoot_ = SafePath::realFolder(folder_);
    return SafePath::resolveInside(realRoot_, name, out);
}

} // namespace host
