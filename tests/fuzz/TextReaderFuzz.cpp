// Runs TextReader over arbitrary bytes in each charset. The first byte
// chooses the operations; the rest is the text. Besides not crashing, the
// reader must give the same characters whether the stream hands its bytes
// over at once (and can seek) or in small pieces (and cannot).

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

// A stream without seeking that hands out its bytes in pieces of 1 to 7.
class DribbleStream : public IInputStream {
public:
    DribbleStream(const uint8_t* data, size_t size, unsigned seed) : data_(data), size_(size), seed_(seed) {}

    ISeekable* getSeekable() override { return nullptr; }
    int64_t available() override { return -1; }
    bool isEnd() override { return position_ >= size_; }
    void close() override { position_ = size_; }
    int read(void* buffer, int size) override
    {
        if (!buffer || size < 1 || position_ >= size_)
            return 0;
        seed_ = seed_ * 1103515245u + 12345u;
        size_t n = 1 + (seed_ >> 16) % 7;
        n = std::min({n, static_cast<size_t>(size), size_ - position_});
        std::memcpy(buffer, data_ + position_, n);
        position_ += n;
        return static_cast<int>(n);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    unsigned seed_;
};

Ref<MemoryStream> memoryOver(const uint8_t* data, size_t size)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    stream->write(data, static_cast<int>(size));
    stream->moveToBegin();
    return stream;
}

std::u16string whole(TextReader& reader)
{
    String text;
    reader.read(text);
    return std::u16string(text.c_str(), static_cast<size_t>(text.size()));
}

std::u16string lines(TextReader& reader, size_t limit)
{
    std::u16string all;
    for (size_t i = 0; i < limit; i++) {
        String line;
        int n = reader.readLine(line);
        if (n != line.size())
            __builtin_trap();
        all.append(line.c_str(), static_cast<size_t>(line.size()));
        all += u'|';
        if (line.empty() && reader.getStream()->isEnd())
            break;
    }
    return all;
}

// A mix of every operation, led by the script byte.
void mixed(TextReader& reader, unsigned script, size_t limit)
{
    if (script & 1)
        reader.readBOM();
    char16_t buffer[64];
    for (size_t i = 0; i < limit; i++) {
        script = script * 1103515245u + 12345u;
        unsigned choice = (script >> 16) % 4;
        if (choice == 0) {
            String line;
            reader.readLine(line);
        } else if (choice == 1) {
            int n = 1 + static_cast<int>((script >> 20) % 63);
            int got = reader.read(buffer, n);
            if (got > n)
                __builtin_trap();
            if (got <= 0 && reader.getStream()->isEnd())
                break;
        } else if (choice == 2) {
            reader.readBOM();
        } else {
            String rest;
            reader.read(rest);
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 8192)
        return 0;
    unsigned script = data[0];
    // With the high bit set the text is repeated past the readers' line
    // buffer, so that long lines are cut into pieces.
    std::string payload(reinterpret_cast<const char*>(data + 1), size - 1);
    if ((script & 0x80) && !payload.empty())
        while (payload.size() < 5000)
            payload.append(payload, 0, std::min(payload.size(), 5000 - payload.size()));
    const uint8_t* text = reinterpret_cast<const uint8_t*>(payload.data());
    size_t length = payload.size();
    size_t limit = 2 * length + 8;
    for (int charset : {65001, 936, 950, 932, 65002, 65003, 1252}) {
        Ref<DribbleStream> dribble = new DribbleStream(text, length, script);
        TextReader pieces(dribble, charset);
        TextReader block(memoryOver(text, length), charset);
        if (whole(pieces) != whole(block))
            __builtin_trap();

        dribble = new DribbleStream(text, length, script + 1);
        TextReader pieceLines(dribble, charset);
        TextReader blockLines(memoryOver(text, length), charset);
        if (lines(pieceLines, limit) != lines(blockLines, limit))
            __builtin_trap();

        TextReader any(memoryOver(text, length), charset);
        mixed(any, script, limit);
        dribble = new DribbleStream(text, length, script + 2);
        TextReader anyPieces(dribble, charset);
        mixed(anyPieces, script, limit);
    }
    return 0;
}
