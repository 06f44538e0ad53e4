#pragma once

#include "tessel/core/IInputStream.h"
#include "tessel/core/IObject.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/String.h"

namespace tessel {

class TextReader;
class TextWriter;

// Base64 with the alphabet of RFC 2045 and "=" padding. Chunked output
// breaks the text with CR LF after every 76 characters, as mail bodies
// want it; otherwise the text is one line. Decoding skips blanks and
// control characters and stops at the first character outside the
// alphabet ("=" included), keeping what was decoded before it.
class Base64Codec : public IObject {
public:
    enum : int {
        READ_BLOCK = 11400, // bytes encoded at a time, a multiple of 3
        LINE_GROUPS = 19,   // four-character groups on a chunked line
        FLUSH_AFTER = 8176, // decoded bytes pending before a write
    };

    explicit Base64Codec(bool chunked = false) : chunked_(chunked) {}
    Base64Codec(const Base64Codec& other) = default;
    Base64Codec& operator=(const Base64Codec& other) = default;
    ~Base64Codec() override = default;

    bool isChunked() const { return chunked_; }
    void setChunked(bool chunked) { chunked_ = chunked; }

    // "base64".
    virtual const String& codecName() const;
    // Reads the whole stream and appends its Base64 text; returns the
    // characters produced, line breaks included.
    virtual int encode(IInputStream& in, String& out);
    virtual int encode(IInputStream& in, TextWriter& out);
    // Writes the decoded bytes; returns the bytes written.
    virtual int decode(const String& in, IOutputStream& out);
    virtual int decode(TextReader& in, IOutputStream& out);

private:
    template <class Sink>
    int _encode(IInputStream& in, Sink&& sink) const;

    bool chunked_;
};

} // namespace tessel
