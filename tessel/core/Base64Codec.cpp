#include "tessel/core/Base64Codec.h"

#include <string>
#include <vector>

#include "tessel/core/TextReader.h"
#include "tessel/core/TextWriter.h"

namespace tessel {

namespace {

const char ALPHABET[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The value of an alphabet character, or -1.
int valueOf(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return c - u'A';
    if (c >= u'a' && c <= u'z')
        return c - u'a' + 26;
    if (c >= u'0' && c <= u'9')
        return c - u'0' + 52;
    if (c == u'+')
        return 62;
    if (c == u'/')
        return 63;
    return -1;
}

// Fills the block as far as the stream goes: a short block means the end
// of the stream, even for streams that hand out data in smaller pieces.
int readBlock(IInputStream& in, unsigned char* block, int size)
{
    int filled = 0;
    while (filled < size) {
        int n = in.read(block + filled, size - filled);
        if (n <= 0)
            break;
        filled += n;
    }
    return filled;
}

// Turns bytes into groups of four characters; the line count runs on
// across calls.
class Encoder {
public:
    explicit Encoder(bool chunked) : chunked_(chunked) {}

    void encode(const unsigned char* data, int n, std::u16string& text)
    {
        for (int i = 0; i < n; i += 3) {
            int left = n - i;
            uint32_t bits = uint32_t(data[i]) << 16;
            if (left > 1)
                bits |= uint32_t(data[i + 1]) << 8;
            if (left > 2)
                bits |= data[i + 2];
            text += static_cast<char16_t>(ALPHABET[(bits >> 18) & 63]);
            text += static_cast<char16_t>(ALPHABET[(bits >> 12) & 63]);
            text += left > 1 ? static_cast<char16_t>(ALPHABET[(bits >> 6) & 63]) : u'=';
            text += left > 2 ? static_cast<char16_t>(ALPHABET[bits & 63]) : u'=';
            if (chunked_ && ++groups_ == Base64Codec::LINE_GROUPS) {
                text += u"\r\n";
                groups_ = 0;
            }
        }
    }

private:
    bool chunked_;
    int groups_ = 0;
};

// Collects decoded bytes and writes them out in large pieces.
class Decoder {
public:
    explicit Decoder(IOutputStream& out) : out_(out) {}

    // False once a character outside the alphabet has ended the input.
    bool decode(const char16_t* text, int n)
    {
        for (int i = 0; i < n && !stopped_; i++) {
            if (text[i] < 33)
                continue;
            int value = valueOf(text[i]);
            if (value < 0) {
                stopped_ = true;
                break;
            }
            bits_ = (bits_ << 6 | uint32_t(value)) & 0xFFFFFF;
            count_ += 6;
            if (count_ >= 8) {
                count_ -= 8;
                pending_.push_back(static_cast<char>((bits_ >> count_) & 0xFF));
                if (static_cast<int>(pending_.size()) > Base64Codec::FLUSH_AFTER)
                    flush();
            }
        }
        return !stopped_;
    }

    // Writes what is pending and returns the bytes written in all.
    int finish()
    {
        flush();
        return written_;
    }

private:
    void flush()
    {
        if (pending_.empty() || failed_)
            return;
        int n = out_.write(pending_.data(), static_cast<int>(pending_.size()));
        if (n > 0)
            written_ += n;
        else
            failed_ = true;
        pending_.clear();
    }

    IOutputStream& out_;
    std::string pending_;
    uint32_t bits_ = 0;
    int count_ = 0;
    int written_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
};

} // namespace

const String& Base64Codec::codecName() const
{
    static const String name(u"base64");
    return name;
}

template <class Sink>
int Base64Codec::_encode(IInputStream& in, Sink&& sink) const
{
    std::vector<unsigned char> block(READ_BLOCK);
    std::u16string text;
    Encoder encoder(chunked_);
    int produced = 0;
    for (;;) {
        int n = readBlock(in, block.data(), READ_BLOCK);
        text.clear();
        encoder.encode(block.data(), n, text);
        if (!text.empty()) {
            sink(text.data(), static_cast<int>(text.size()));
            produced += static_cast<int>(text.size());
        }
        if (n < READ_BLOCK)
            break;
    }
    return produced;
}

int Base64Codec::encode(IInputStream& in, String& out)
{
    return _encode(in, [&out](const char16_t* text, int n) { out.append(text, n); });
}

int Base64Codec::encode(IInputStream& in, TextWriter& out)
{
    return _encode(in, [&out](const char16_t* text, int n) { out.write(text, n); });
}

int Base64Codec::decode(const String& in, IOutputStream& out)
{
    Decoder decoder(out);
    decoder.decode(in.c_str(), in.size());
    return decoder.finish();
}

int Base64Codec::decode(TextReader& in, IOutputStream& out)
{
    Decoder decoder(out);
    char16_t buffer[4096];
    for (;;) {
        int n = in.read(buffer, 4096);
        if (n <= 0 || !decoder.decode(buffer, n))
            break;
    }
    return decoder.finish();
}

} // namespace tessel
