#include "tessel/core/TextWriter.h"

namespace tessel {

namespace {

// Long texts are encoded in pieces of this many units.
constexpr int PIECE_UNITS = 16384;
// No UTF-16 unit takes more than three bytes of UTF-8 (a surrogate pair
// takes four for its two units).
constexpr int MAX_UTF8_PER_UNIT = 3;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// UTF-16 to UTF-8; a surrogate without its partner becomes U+FFFD, as the
// code page layer writes it. Returns the bytes written to `out`, which has
// room for MAX_UTF8_PER_UNIT bytes a unit.
int encodeUTF8(const char16_t* text, int n, char* out)
{
    auto* to = reinterpret_cast<unsigned char*>(out);
    const char16_t* end = text + n;
    while (text < end) {
        // Markup is mostly ASCII: runs of it are copied in a tight loop.
        while (text < end && *text < 0x80)
            *to++ = static_cast<unsigned char>(*text++);
        if (text == end)
            break;
        char32_t c = *text++;
        if (c < 0x800) {
            *to++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *to++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (isHighSurrogate(static_cast<char16_t>(c)) && text < end && isLowSurrogate(*text)) {
            c = 0x10000 + ((c - 0xD800) << 10) + (*text++ - 0xDC00);
            *to++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *to++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        *to++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *to++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *to++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    return static_cast<int>(to - reinterpret_cast<unsigned char*>(out));
}

} // namespace

TextWriter::TextWriter(IOutputStream* out, int charset) : out_(out), charset_(charset) {}

TextWriter::TextWriter(const TextWriter& other) : IObject(), out_(other.out_), charset_(other.charset_) {}

TextWriter& TextWriter::operator=(const TextWriter& other)
{
    if (&other == this)
        return *this;
    flush();
    out_ = other.out_;
    charset_ = other.charset_;
    return *this;
}

TextWriter::~TextWriter()
{
    flush();
}

void TextWriter::beginBlock()
{
    if (blocks_++ == 0 && bytes_.size() < static_cast<size_t>(BLOCK_BYTES))
        bytes_.resize(static_cast<size_t>(BLOCK_BYTES));
}

bool TextWriter::endBlock()
{
    if (blocks_ > 0 && --blocks_ > 0)
        return !failed_;
    return flush();
}

bool TextWriter::flush()
{
    if (used_ > 0 && out_ && out_->write(bytes_.data(), used_) < 0)
        failed_ = true;
    used_ = 0;
    bool sent = !failed_;
    failed_ = false;
    return sent;
}

char* TextWriter::reserve(int bytes)
{
    size_t room = static_cast<size_t>(used_) + static_cast<size_t>(bytes);
    if (room > bytes_.size() && used_ > 0) {
        if (out_ && out_->write(bytes_.data(), used_) < 0)
            failed_ = true;
        used_ = 0;
        room = static_cast<size_t>(bytes);
    }
    if (room > bytes_.size())
        bytes_.resize(room);
    return bytes_.data() + used_;
}

void TextWriter::writeBOM()
{
    if (!out_)
        return;
    const char* mark = nullptr;
    switch (CodePage::resolve(charset_)) {
    case CodePage::UTF8: mark = "\xEF\xBB\xBF"; break;
    case CodePage::UTF16LE: mark = "\xFF\xFE"; break;
    case CodePage::UTF16BE: mark = "\xFE\xFF"; break;
    default: return;
    }
    int size = static_cast<int>(std::char_traits<char>::length(mark));
    std::char_traits<char>::copy(reserve(size), mark, static_cast<size_t>(size));
    used_ += size;
    if (blocks_ == 0)
        flush();
}

int TextWriter::write(const String& text)
{
    if (text.empty())
        return 0;
    return write(text.c_str(), text.size());
}

int TextWriter::write(const char16_t* text, int n)
{
    if (!text || !out_)
        return 0;
    if (n < 1)
        n = length(text);
    int codePage = charset_ == CodePage::SYSTEM ? CodePage::resolve(charset_) : charset_;
    // The usual piece of a page: short UTF-8 that fits the open block.
    if (codePage == CodePage::UTF8 && blocks_ > 0 && n <= PIECE_UNITS &&
        static_cast<size_t>(used_) + static_cast<size_t>(MAX_UTF8_PER_UNIT * n) <= bytes_.size()) {
        int size = encodeUTF8(text, n, bytes_.data() + used_);
        used_ += size;
        return failed_ ? -1 : size;
    }
    int total = 0;
    while (n > 0) {
        // A surrogate pair stays in one piece, so it is encoded whole.
        int piece = n < PIECE_UNITS ? n : PIECE_UNITS;
        if (piece < n && isHighSurrogate(text[piece - 1]))
            piece--;
        int size = 0;
        if (codePage == CodePage::UTF8) {
            size = encodeUTF8(text, piece, reserve(MAX_UTF8_PER_UNIT * piece));
        } else {
            int needed = CodePage::encode(codePage, text, piece, nullptr, 0);
            if (needed > 0)
                size = CodePage::encode(codePage, text, piece, reserve(needed), needed);
        }
        used_ += size;
        if (blocks_ == 0 && !flush())
            return total > 0 ? total : -1;
        if (failed_)
            return total > 0 ? total : -1;
        total += size;
        text += piece;
        n -= piece;
    }
    return total;
}

} // namespace tessel
