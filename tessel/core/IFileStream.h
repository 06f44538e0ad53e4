#pragma once

#include <cstdint>

#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/ISeekable.h"

namespace tessel {

class IFileSystem;

// A file opened through a file system: readable, writable and seekable.
class IFileStream : public IInputStream, public IOutputStream, public ISeekable {
public:
    enum OpenMode {
        OPEN_READ = 1,       // the file must exist unless OPEN_WRITE is given too
        OPEN_WRITE = 2,      // opened if it exists, created if not
        OPEN_APPEND = 16,    // start at the end
        OPEN_TRUNCATE = 32,  // with OPEN_WRITE: always a new, empty file
        OPEN_TEMPORARY = 64, // with OPEN_WRITE: deleted when closed
        OPEN_MAKEDIRS = 128, // create the missing parent folders and retry
    };

    using IInputStream::close;
    using IInputStream::getSeekable;

    virtual IFileSystem& getFileSystem() = 0;
    virtual bool open(const char16_t* path, int mode) = 0;
    virtual bool isOpened() = 0;
    virtual int64_t getSize() = 0;
    virtual bool setEnd() = 0;
    virtual int64_t getPosition() = 0;
    virtual bool setPosition(int64_t position) = 0;
};

} // namespace tessel
