#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"

namespace tessel {

class ISeekable;
class String;

// A source of bytes. The fixed-width readers give 0 when fewer bytes than
// their width came back; the plain forms are little-endian, the BE forms
// big-endian.
class IInputStream : public virtual IObject {
public:
    // Null when the stream cannot seek.
    virtual ISeekable* getSeekable() = 0;
    // Bytes left, or a negative value when unknown.
    virtual int64_t available() = 0;
    virtual bool isEnd() = 0;
    virtual void close() = 0;
    // The bytes read (0 at the end), or -1 on failure.
    virtual int read(void* buffer, int size) = 0;

    char readByte();
    short readShort();
    short readShortBE();
    int readInt();
    int readIntBE();
    int64_t readBigint();
    int64_t readBigintBE();
    float readFloat();
    double readDouble();
    // Reads the rest of the stream and decodes it with `charset` into `out`.
    bool toString(String& out, int charset);
};

} // namespace tessel
