#pragma once

#include <string>

#include "tessel/core/CodePage.h"
#include "tessel/core/IObject.h"
#include "tessel/core/IOutputStream.h"
#include "tessel/core/String.h"

namespace tessel {

// Writes text in one charset to a byte stream. The writer holds one
// reference to its stream; copies share the stream. UTF-8 is encoded here;
// the other charsets go through the code page layer.
//
// Outside a block every write reaches the stream before it returns. Between
// beginBlock and the matching endBlock the bytes collect in a large block
// that goes to the stream when the next text does not fit and when the
// outermost block ends, so that a rendered page reaches the stream in a few
// large writes. Whoever writes to the stream directly must not do so inside
// a block.
class TextWriter : public IObject {
public:
    // The size of the block that collects a block's bytes.
    static constexpr int BLOCK_BYTES = 64 * 1024;

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
    // Returns the bytes written (inside a block: taken into the block), -1
    // when the stream failed.
    int write(const String& text);
    int write(const char16_t* text, int n = 0);

    // Blocks nest; the outermost endBlock sends what collected. Both return
    // false when the stream failed on the way.
    void beginBlock();
    bool endBlock();
    // Sends the bytes collected so far to the stream.
    bool flush();

private:
    // Room for `bytes` more bytes at the end of the collected ones, sending
    // these first when they and the new ones would not fit the block.
    char* reserve(int bytes);

    Ref<IOutputStream> out_;
    int charset_;
    int blocks_ = 0;
    int used_ = 0;        // bytes collected in bytes_ and not yet sent
    bool failed_ = false; // a send failed since the last flush
    std::string bytes_;
};

} // namespace tessel
