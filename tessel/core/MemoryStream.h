#pragma once

#include <cstdint>

#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/ISeekable.h"

namespace tessel {

// A byte buffer read, written and moved in like a file. An owned buffer
// grows in 16 KB steps and keeps a zero byte after written data, so text
// written into it is NUL-terminated. A fixed view over memory somebody else
// owns is readable up to its capacity and never grown or freed.
class MemoryStream : public IInputStream, public IOutputStream, public ISeekable {
public:
    static constexpr int GROWTH_STEP = 16384;

    explicit MemoryStream(int capacity = 0);
    // With `adopt` the stream takes over `data` (a malloc'ed block it frees
    // on close); otherwise it keeps a copy. The `size` bytes are readable.
    MemoryStream(void* data, int size, bool adopt);
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    ~MemoryStream() override;

    // Closes, then uses `data` as the buffer with capacity `size`. Owned
    // data (malloc'ed) may grow and is freed on close; otherwise the stream
    // becomes a fixed view.
    void attach(void* data, int size, bool owned);

    char* getBuffer() const { return buffer_; }
    int capacity() const { return capacity_; }
    // The bytes written, or the capacity of a fixed view.
    int getSize() const { return isFixed() ? capacity_ : size_; }
    bool isFixed() const { return size_ < 0; }
    int getPosition() const { return position_; }
    // Back to the start; an owned buffer is emptied as well.
    void reset();
    // Room for at least `bytes` bytes.
    bool ensure(int bytes);

    ISeekable* getSeekable() override { return this; }
    int64_t available() override { return getSize() - position_; }
    bool isEnd() override { return position_ >= getSize(); }
    void close() override;
    int read(void* buffer, int size) override;
    void flush() override {}
    int write(const void* data, int size) override;

    int64_t moveToBegin() override { return moveTo(0); }
    int64_t moveToEnd() override { return moveTo(getSize()); }
    int64_t moveTo(int64_t position) override;
    int64_t moveBy(int64_t delta) override;

private:
    bool grow(int64_t target);

    int position_ = 0;
    int size_ = 0; // -1 marks a fixed view
    int capacity_ = 0;
    char* buffer_ = nullptr;
};

} // namespace tessel
