#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"

namespace tessel {

class ISeekable;
class String;

// A sink of bytes, with fixed-width writers in both byte orders.
class IOutputStream : public virtual IObject {
public:
    virtual ISeekable* getSeekable() = 0;
    virtual void close() = 0;
    virtual void flush() = 0;
    // The bytes written, 0 for nothing to write, -1 on failure.
    virtual int write(const void* data, int size) = 0;

    void writeByte(char value);
    void writeShort(short value);
    void writeShortBE(short value);
    void writeInt(int value);
    void writeIntBE(int value);
    void writeBigint(int64_t value);
    void writeBigintBE(int64_t value);
    void writeFloat(float value);
    void writeDouble(double value);
    // The UTF-16 units as they lie in memory, two bytes each.
    void writeString(const String& text);
    void writeString(const char16_t* text, int n = 0);
};

} // namespace tessel
