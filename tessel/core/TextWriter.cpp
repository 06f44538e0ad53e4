#include "tessel/core/TextWriter.h"

namespace tessel {

namespace {

// Long texts are encoded in pieces of this many units.
constexpr int PIECE_UNITS = 16384;

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

} // namespace

TextWriter::TextWriter(IOutputStream* out, int charset) : out_(out), charset_(charset) {}

TextWriter::TextWriter(const TextWriter& other) : IObject(), out_(other.out_), charset_(other.charset_) {}

TextWriter& TextWriter::operator=(const TextWriter& other)
{
    out_ = other.out_;
    charset_ = other.charset_;
    return *this;
}

TextWriter::~TextWriter() = default;

void TextWriter::writeBOM()
{
    if (!out_)
        return;
    switch (CodePage::resolve(charset_)) {
    case CodePage::UTF8: out_->write("\xEF\xBB\xBF", 3); break;
    case CodePage::UTF16LE: out_->write("\xFF\xFE", 2); break;
    case CodePage::UTF16BE: out_->write("\xFE\xFF", 2); break;
    default: break;
    }
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
    int codePage = CodePage::resolve(charset_);
    int total = 0;
    while (n > 0) {
        // A surrogate pair stays in one piece, so it is encoded whole.
        int piece = n < PIECE_UNITS ? n : PIECE_UNITS;
        if (piece < n && isHighSurrogate(text[piece - 1]))
            piece--;
        int needed = codePage == CodePage::UTF8 ? 3 * piece : CodePage::encode(codePage, text, piece, nullptr, 0);
        if (needed > 0) {
            bytes_.resize(static_cast<size_t>(needed));
            int size = CodePage::encode(codePage, text, piece, bytes_.data(), needed);
            if (size > 0) {
                int written = out_->write(bytes_.data(), size);
                if (written < 0)
                    return total > 0 ? total : -1;
                total += written;
            }
        }
        text += piece;
        n -= piece;
    }
    return total;
}

} // namespace tessel
