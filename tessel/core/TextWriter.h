#pragma once

#include <string>

#include "tessel/core/CodePage.h"
#include "tessel/core/IObject.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/String.h"

namespace tessel {

// Writes text in one charset to a byte stream. The writer holds one
// reference to its stream; copies share the stream.
class TextWriter : public IObject {
public:
    explicit TextWriter(IOutputStream* out = nullptr, int charset = CodePage::SYSTEM);
    TextWriter(const TextWriter& other);
    TextWriter& operator=(const TextWriter& other);
    ~TextWriter() override;

    IOutputStream* getStream() const { return out_.get(); }
    int getCharset() const { return charset_; }
    void setCharset(int charset) { charset_ = charset; }

    // EF BB BF for UTF-8, FF FE for UTF-16LE, FE FF for UTF-16BE; nothing
    // for other charsets.
    void writeBOM();
    // The text in the writer's charset; n < 1 means up to the terminator.
    // Returns the bytes written, -1 when the stream failed.
    int write(const String& text);
    int write(const char16_t* text, int n = 0);

private:
    Ref<IOutputStream> out_;
    int charset_;
    std::string bytes_; // reused for the encoded form
};

} // namespace tessel
