#include "host/Downloads.h"

namespace host {

Downloads::Downloads(std::string folder) : folder_(std::move(folder)) {}

bool Downloads::find(std::string_view encodedName, FileInfo& out)
{
    std::string name;
    if (!SafePath::decodeRelative(encodedName, false, name))
        return false;
    if (realRoot_.empty())
        realRoot_ = SafePath::realFolder(folder_);
    return SafePath::resolveInside(realRoot_, name, out);
}

} // namespace host
