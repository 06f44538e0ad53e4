#pragma once

#include <memory>
#include <string>

#include "tessel/core/CodePage.h"
#include "tessel/core/IInputStream.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// Reads text in one charset from a byte stream. A character whose bytes are
// split between two reads is completed by the next one, and a CR LF pair
// counts as one line end even when the two come in different calls.
//
// The reader holds one reference to its stream; copies share the stream.
// Characters that read(buffer, n) decoded but could not return are kept
// for the next call of any read operation.
class TextReader : public IObject {
public:
    explicit TextReader(IInputStream* in = nullptr, int charset = CodePage::SYSTEM);
    TextReader(const TextReader& other);
    TextReader& operator=(const TextReader& other);
    ~TextReader() override;

    IInputStream* getStream() const { return in_.get(); }
    int getCharset() const { return charset_; }
    void setCharset(int charset) { charset_ = charset; }

    // Skips a byte order mark at the stream's position and takes its charset
    // (EF BB BF UTF-8, FF FE UTF-16LE, FE FF UTF-16BE). False when there is
    // none or the stream cannot seek; then the position stays.
    bool readBOM();
    // Appends the rest of the stream; returns the bytes read, -1 without a
    // stream. A stream that has no data yet but is not at its end is polled
    // every 10 ms.
    int read(String& out);
    // Up to n characters; the number given, 0 at the end, or the stream's
    // negative result.
    int read(char16_t* buffer, int n);
    // Appends one line without its end (LF, CR or CR LF) and returns the
    // characters appended: 0 for an empty line and at the end of the stream
    // (the stream's isEnd tells them apart), -1 without a stream. The
    // stream is left just past the line end.
    int readLine(String& out);

private:
    CodePage::Decoder& _decoder();
    bool _isUTF16() const { return CodePage::isUTF16(charset_); }
    char16_t _unitAt(const std::string& bytes, size_t index) const;
    void _decode(const char* data, int length, bool final, std::u16string& units, std::string& rest);
    int _appendDecoded(String& out, const char* data, int length, bool final, std::string& rest);
    void _dropSkippedLineFeed(std::u16string& units, size_t from);
    int _takeHeldLine(String& out, bool& ended);

    Ref<IInputStream> in_;
    int charset_;
    bool skipLineFeed_ = false; // the last line ended at a CR
    std::string heldBytes_;     // the start of a character split by a read
    std::u16string heldUnits_;  // decoded but not yet returned
    std::unique_ptr<CodePage::Decoder> decoder_;
};

} // namespace tessel
