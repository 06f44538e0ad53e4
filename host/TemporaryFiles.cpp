#include "host/TemporaryFiles.h"

#include <unistd.h>

#include <algorithm>

namespace host {

TemporaryFiles::TemporaryFiles(TemporaryFiles&& other) noexcept : paths_(std::move(other.paths_))
{
    other.paths_.clear();
}

TemporaryFiles& TemporaryFiles::operator=(TemporaryFiles&& other) noexcept
{
    if (this != &other) {
        removeAll();
        paths_ = std::move(other.paths_);
        other.paths_.clear();
    }
    return *this;
}

TemporaryFiles::~TemporaryFiles()
{
    removeAll();
}

void TemporaryFiles::add(const std::string& path)
{
    paths_.push_back(path);
}

bool TemporaryFiles::keep(const std::string& path)
{
    auto at = std::find(paths_.begin(), paths_.end(), path);
    if (at == paths_.end())
        return false;
    paths_.erase(at);
    return true;
}

void TemporaryFiles::removeAll()
{
    // A file the page moved away is simply no longer there.
    for (const std::string& path : paths_)
        ::unlink(path.c_str());
    paths_.clear();
}

} // namespace host
