#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

class IInputStream;

// A file uploaded with a request. The host stores the file in the host
// file system and records where; the page opens it or moves it to where it
// keeps such files. A negative size marks a failed upload.
class HttpUpload : public IObject {
public:
    HttpUpload() = default;

    // The form field the file came in.
    const String& getName() const { return name_; }
    void setName(const String& name) { name_ = name; }
    // The file's own name as the browser sent it, reduced to a bare name:
    // anything up to the last "/" or "\" is dropped, so are control
    // characters, and "." or ".." gives the empty name: the name never
    // leads out of a folder.
    const String& getFileName() const { return fileName_; }
    void setFileName(const String& fileName);
    // The stored file in the host file system.
    const String& getFullPath() const { return fullPath_; }
    void setFullPath(const String& fullPath) { fullPath_ = fullPath; }
    const String& getContentType() const { return contentType_; }
    void setContentType(const String& contentType) { contentType_ = contentType; }
    int64_t getSize() const { return size_; }
    void setSize(int64_t size) { size_ = size; }
    bool isError() const { return size_ < 0; }

    // Opens the stored file for reading; `out` receives one reference.
    bool open(IInputStream** out) const;
    // Moves the stored file to `target` in the host file system (and
    // remembers it there). Refused for a failed upload and for a target that
    // is not a plain file path: empty, with a NUL, ending in a separator or
    // a "." step, or with a ".." step anywhere, so that a target built from
    // a folder and a name lands in that folder.
    bool moveTo(const String& target, bool overwrite);

    // Whether `path` names a file by its own path alone (see moveTo).
    static bool isPlainPath(const String& path);

private:
    String name_;
    String fileName_;
    String fullPath_;
    String contentType_;
    int64_t size_ = 0;
};

} // namespace tessel
