#pragma once

#include <cstdint>
#include <vector>

#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/ISeekable.h"
#include "tessel/fs/TinyContainer.h"

namespace tessel {

// One file of a TinyFileSystem, read or written over its chain of data
// blocks. The record's size is where the file ends: blocks reused by a
// shorter rewrite may still count more bytes than are used. A stream
// opened for writing starts on an empty file (its owner truncates it),
// reuses the blocks the file already had and appends more as it grows.
// Positions lie between 0 and the end; moving beyond the end lands on it.
//
// The stream holds the container, not the file system: once the
// container is closed every operation fails.
class TinyFileStream : public IInputStream, public IOutputStream, public ISeekable {
public:
    TinyFileStream(TinyContainer* container, int record, bool writing);
    ~TinyFileStream() override = default;
    TinyFileStream(const TinyFileStream&) = delete;
    TinyFileStream& operator=(const TinyFileStream&) = delete;

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

    int64_t getSize() const { return size_; }

private:
    struct Block {
        uint32_t offset;
        uint32_t used;   // as the header counts it
        int64_t start;   // file position of its first byte
        uint32_t length; // bytes of the file it holds
    };

    void _readChain();
    bool _isUsable() const;
    int _blockAt(int64_t position) const;
    bool _appendBlock();
    bool _writeInto(size_t index, uint32_t at, const char* data, uint32_t size);

    Ref<TinyContainer> container_;
    int record_;
    bool writing_;
    std::vector<Block> blocks_;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

} // namespace tessel
