#pragma once

#include <string>
#include <string_view>

#include "host/SafePath.h"

namespace host {

// Files that pages produce for the visitor to take away (spreadsheets,
// exports, backups), found by bare name in one folder of the data folder.
class Downloads {
public:
    explicit Downloads(std::string folder);

    // `encodedName` is the URL path after "/download/": a bare name of the
    // area, or "<folder>/<name>" in the visitor's own folder `ownFolder`
    // (no other folder). False when refused or not there.
    bool find(std::string_view encodedName, const std::string& ownFolder, FileInfo& out);

    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string realRoot_;
};

} // namespace host
