#pragma once

#include <string>
#include <vector>

namespace host {

// The files one request left behind (uploads): removed when the request is
// done, unless the page kept one.
class TemporaryFiles {
public:
    TemporaryFiles() = default;
    TemporaryFiles(const TemporaryFiles&) = delete;
    TemporaryFiles& operator=(const TemporaryFiles&) = delete;
    TemporaryFiles(TemporaryFiles&& other) noexcept;
    TemporaryFiles& operator=(TemporaryFiles&& other) noexcept;
    ~TemporaryFiles();

    void add(const std::string& path);
    // The page took the file over: it is no longer removed. False when the
    // path is not in the list.
    bool keep(const std::string& path);
    // Removes every listed file that is still there and empties the list.
    void removeAll();
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::vector<std::string> paths_;
};

} // namespace host
