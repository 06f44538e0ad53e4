#pragma once

#include <cstdint>
#include <string>

#include "tessel/core/IFileStream.h"

namespace tessel {

// A file of the host file system. The file is held for exclusive use while
// it is open: a second stream over the same file fails to open until the
// first one is closed (an flock lock, where the file system supports one).
// A file without write permission (read-only) is never opened for writing,
// whoever runs the process.
class FileStream : public IFileStream {
public:
    FileStream() = default;
    // Opens when the path is not empty.
    explicit FileStream(const char16_t* path, int mode = OPEN_READ);
    // A copy shares the open file (and its position) with the original.
    FileStream(const FileStream& other);
    FileStream& operator=(const FileStream& other);
    ~FileStream() override;

    IFileSystem& getFileSystem() override;
    bool open(const char16_t* path, int mode) override;
    bool isOpened() override { return fd_ >= 0; }
    int64_t getSize() override;
    bool setEnd() override;
    int64_t getPosition() override;
    bool setPosition(int64_t position) override;

    ISeekable* getSeekable() override { return this; }
    int64_t available() override;
    bool isEnd() override;
    void close() override;
    int read(void* buffer, int size) override;
    void flush() override;
    int write(const void* data, int size) override;

    int64_t moveToBegin() override { return moveTo(0); }
    int64_t moveToEnd() override;
    int64_t moveTo(int64_t position) override;
    int64_t moveBy(int64_t delta) override;

private:
    int fd_ = -1;
    int64_t size_ = -1;     // cached file size, -1 when not known
    std::string temporary_; // removed on close
};

} // namespace tessel
