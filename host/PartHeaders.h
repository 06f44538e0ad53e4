#pragma once

#include <string>
#include <string_view>

namespace host {

// What the header block of one multipart/form-data part says about it, as
// raw bytes: the field name and, for a file, the client's file name from
// Content-Disposition, and the part's Content-Type.
struct PartHeaders {
    std::string name;
    std::string fileName;
    bool hasFileName = false;
    std::string contentType;

    // Reads a header block (lines ending in CRLF, without the empty line
    // that ends it). Lines without ":" are ignored; a line that starts with
    // a space or a tab continues the previous one. A disposition other than
    // "form-data" leaves the name empty, so that the part is skipped.
    static PartHeaders parse(std::string_view block);
};

} // namespace host
