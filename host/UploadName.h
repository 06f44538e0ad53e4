#pragma once

#include <string>
#include <string_view>

#include "tessel/core/String.h"

namespace host {

// The client's name of an uploaded file, as far as the host keeps it: only
// the bare name after the last "/" or "\" (browsers of old sent whole
// paths), and never a name that could mean a folder or hide characters.
class UploadName {
public:
    static constexpr size_t MAX_BYTES = 255;

    // False when the bare name is empty, "." or "..", longer than MAX_BYTES
    // or holds a control character.
    static bool bareName(std::string_view clientName, tessel::String& out);
    // The bytes after the last "/" or "\" (all of them when there is none).
    static std::string_view lastSegment(std::string_view clientName);

    // The extension of a bare name (without the "."), lower-cased, when it
    // is short and plain (letters and digits only); empty otherwise. The
    // stored file keeps it, because pages choose how to read a file by it.
    static std::string safeExtension(std::string_view bareName);
};

} // namespace host
