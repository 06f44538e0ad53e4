#pragma once

#include <cstdint>

#include "tessel/core/IInputStream.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/ISeekable.h"
#include "tessel/core/String.h"

namespace tessel {

// A String that is also a stream over the bytes of its UTF-16 buffer: the
// position counts bytes, reading copies them out, and writing past the end
// grows the text (an attached text cannot grow).
class StringStream : public String, public IInputStream, public IOutputStream, public ISeekable {
public:
    explicit StringStream(int capacity = 0) : String(capacity) {}
    StringStream(const char16_t* text, int length, bool attach) : String(text, length, attach) {}
    StringStream(int capacity, const char16_t* text) : String(capacity, text) {}
    StringStream(int capacity, const String& text) : String(capacity, text) {}
    StringStream(const StringStream& other) : IObject(), String(other), position_(other.position_) {}
    StringStream& operator=(const StringStream& other);
    using String::operator=;

    // The text's size in bytes.
    int64_t getSize() const { return static_cast<int64_t>(size()) * 2; }
    int64_t getPosition() const { return position_; }

    ISeekable* getSeekable() override { return this; }
    int64_t available() override;
    bool isEnd() override { return position_ >= getSize(); }
    void close() override {}
    int read(void* buffer, int size) override;
    void flush() override {}
    int write(const void* data, int size) override;

    int64_t moveToBegin() override { return moveTo(0); }
    int64_t moveToEnd() override { return moveTo(getSize()); }
    int64_t moveTo(int64_t position) override;
    int64_t moveBy(int64_t delta) override;

private:
    int64_t position_ = 0;
};

} // namespace tessel
