#pragma once

#include <string>
#include <string_view>

namespace host {

// The private folder where uploads are written while a request arrives
// (mode 0700, files 0600). File names are of the host's own making; only a
// plain extension of the client's name survives.
class UploadFolder {
public:
    static constexpr const char* PREFIX = "upload-";

    explicit UploadFolder(std::string folder);

    // Creates the folder when missing and removes the files a previous run
    // left behind. False when the folder cannot be made.
    bool prepare();

    // Creates a new empty file and returns its descriptor (open for
    // writing), or -1. `path` receives its name.
    int createFile(std::string_view extension, std::string& path);

    const std::string& folder() const { return folder_; }

private:
    std::string newName(std::string_view extension);

    std::string folder_;
    unsigned long long counter_ = 0;
};

} // namespace host
