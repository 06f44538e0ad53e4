#include "tessel/core/TextReader.h"

#include <algorithm>
#include <memory>

#include "tessel/core/ISeekable.h"
#include "tessel/core/System.h"

namespace tessel {

namespace {

constexpr int CHUNK_BYTES = 32768;         // read(String&) converts this much at a time
constexpr size_t LINE_BUFFER_UNITS = 2048; // readLine converts a long line in pieces
constexpr int MAX_READ_BYTES = 1 << 20;    // read(buffer, n) asks for at most this
constexpr int POLL_MS = 10;

bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

int readFully(IInputStream& in, void* buffer, int size)
{
    char* p = static_cast<char*>(buffer);
    int total = 0;
    while (total < size) {
        int n = in.read(p + total, size - total);
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

} // namespace

TextReader::TextReader(IInputStream* in, int charset) : in_(in), charset_(charset) {}

TextReader::TextReader(const TextReader& other)
    : IObject(), in_(other.in_), charset_(other.charset_), skipLineFeed_(other.skipLineFeed_),
      heldBytes_(other.heldBytes_), heldUnits_(other.heldUnits_)
{
}

TextReader& TextReader::operator=(const TextReader& other)
{
    if (this != &other) {
        in_ = other.in_;
        charset_ = other.charset_;
        skipLineFeed_ = other.skipLineFeed_;
        heldBytes_ = other.heldBytes_;
        heldUnits_ = other.heldUnits_;
    }
    return *this;
}

TextReader::~TextReader() = default;

CodePage::Decoder& TextReader::_decoder()
{
    if (!decoder_ || decoder_->codePage() != CodePage::resolve(charset_))
        decoder_.reset(new CodePage::Decoder(charset_));
    return *decoder_;
}

char16_t TextReader::_unitAt(const std::string& bytes, size_t index) const
{
    unsigned char first = static_cast<unsigned char>(bytes[index]);
    if (!_isUTF16())
        return first;
    unsigned char second = static_cast<unsigned char>(bytes[index + 1]);
    if (CodePage::resolve(charset_) == CodePage::UTF16BE)
        return static_cast<char16_t>(first << 8 | second);
    return static_cast<char16_t>(second << 8 | first);
}

// Decodes bytes that start on a character boundary and appends the units.
// Unless `final`, an incomplete character at the end goes to `rest` for the
// next read; at the end of the text it becomes U+FFFD (a lone byte of a
// UTF-16 unit is dropped).
void TextReader::_decode(const char* data, int length, bool final, std::u16string& units, std::string& rest)
{
    CodePage::Decoder& decoder = _decoder();
    decoder.reset();
    size_t start = units.size();
    units.resize(start + static_cast<size_t>(length) + 2);
    int written = decoder.decode(data, length, &units[start], final && !_isUTF16());
    units.resize(start + static_cast<size_t>(written));
    rest.clear();
    if (!final) {
        int pending = std::min(decoder.pending(), length);
        rest.assign(data + length - pending, static_cast<size_t>(pending));
    }
    decoder.reset();
}

int TextReader::_appendDecoded(String& out, const char* data, int length, bool final, std::string& rest)
{
    std::u16string units;
    _decode(data, length, final, units, rest);
    _dropSkippedLineFeed(units, 0);
    if (!units.empty())
        out.append(units.data(), static_cast<int>(units.size()));
    return static_cast<int>(units.size());
}

// A line feed right after a line that ended at a CR belongs to that line end.
void TextReader::_dropSkippedLineFeed(std::u16string& units, size_t from)
{
    if (!skipLineFeed_ || units.size() <= from)
        return;
    skipLineFeed_ = false;
    if (units[from] == u'\n')
        units.erase(from, 1);
}

bool TextReader::readBOM()
{
    ISeekable* seekable = in_ ? in_->getSeekable() : nullptr;
    if (!seekable)
        return false;
    int64_t start = seekable->moveBy(0);
    if (start < 0)
        return false;
    unsigned char bytes[4] = {};
    int n = readFully(*in_, bytes, 4);
    int mark = 0;
    int charset = charset_;
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        mark = 3;
        charset = CodePage::UTF8;
    } else if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        mark = 2;
        charset = CodePage::UTF16LE;
    } else if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        mark = 2;
        charset = CodePage::UTF16BE;
    }
    seekable->moveTo(start + mark);
    charset_ = charset;
    return mark > 0;
}

int TextReader::read(String& out)
{
    if (!in_)
        return -1;
    _dropSkippedLineFeed(heldUnits_, 0);
    if (!heldUnits_.empty()) {
        out.append(heldUnits_.data(), static_cast<int>(heldUnits_.size()));
        heldUnits_.clear();
    }
    // One decoder runs over all chunks, so a character split between two of
    // them is put together again.
    CodePage::Decoder& decoder = _decoder();
    decoder.reset();
    // Scratch space, left uninitialised: every byte is written before use.
    std::unique_ptr<char[]> chunk(new char[CHUNK_BYTES]);
    std::unique_ptr<char16_t[]> units(new char16_t[CHUNK_BYTES + 2]);
    auto decodeInto = [&](const char* bytes, int length) {
        int written = decoder.decode(bytes, length, units.get(), false);
        int skip = 0;
        if (skipLineFeed_ && written > 0) {
            skipLineFeed_ = false;
            skip = units[0] == u'\n' ? 1 : 0;
        }
        if (written > skip)
            out.append(units.get() + skip, written - skip);
    };
    // The start of a character that an earlier read left over.
    decodeInto(heldBytes_.data(), static_cast<int>(heldBytes_.size()));
    heldBytes_.clear();
    int total = 0;
    for (;;) {
        int n = in_->read(chunk.get(), CHUNK_BYTES);
        if (n > 0) {
            total += n;
            decodeInto(chunk.get(), n);
            if (in_->isEnd())
                break;
            continue;
        }
        // A broken stream ends the text; so does one that is at its end.
        if (n < 0 || in_->isEnd())
            break;
        System::sleep(POLL_MS);
    }
    if (!_isUTF16()) {
        int written = decoder.decode(chunk.get(), 0, units.get(), true);
        if (written > 0)
            out.append(units.get(), written);
    }
    decoder.reset();
    return total;
}

int TextReader::read(char16_t* buffer, int n)
{
    if (!buffer || n < 1)
        return 0;
    if (!in_)
        return -1;
    _dropSkippedLineFeed(heldUnits_, 0);
    int got = std::min(n, static_cast<int>(heldUnits_.size()));
    std::copy(heldUnits_.begin(), heldUnits_.begin() + got, buffer);
    heldUnits_.erase(0, static_cast<size_t>(got));
    while (got == 0) {
        // Enough bytes for the characters asked for, as far as the charset
        // lets one tell.
        int64_t wanted;
        int resolved = CodePage::resolve(charset_);
        if (_isUTF16())
            wanted = 2 * static_cast<int64_t>(n) - static_cast<int64_t>(heldBytes_.size());
        else if (resolved == CodePage::UTF8)
            wanted = n + n / 2 + 2;
        else
            wanted = 2 * static_cast<int64_t>(n) + 2;
        int want = static_cast<int>(std::clamp<int64_t>(wanted, 1, MAX_READ_BYTES));
        std::string data = heldBytes_;
        size_t held = data.size();
        data.resize(held + static_cast<size_t>(want));
        int r = in_->read(&data[held], want);
        bool atEnd = r == 0 && !heldBytes_.empty() && in_->isEnd();
        if (r <= 0 && !atEnd)
            return r;
        data.resize(held + static_cast<size_t>(r > 0 ? r : 0));
        std::u16string units;
        _decode(data.data(), static_cast<int>(data.size()), atEnd, units, heldBytes_);
        _dropSkippedLineFeed(units, 0);
        got = std::min(n, static_cast<int>(units.size()));
        std::copy(units.begin(), units.begin() + got, buffer);
        heldUnits_.assign(units, static_cast<size_t>(got), std::u16string::npos);
        if (atEnd)
            break;
    }
    return got;
}

// The part of a line that read(buffer, n) already decoded.
int TextReader::_takeHeldLine(String& out, bool& ended)
{
    ended = false;
    _dropSkippedLineFeed(heldUnits_, 0);
    if (heldUnits_.empty())
        return 0;
    size_t end = 0;
    while (end < heldUnits_.size() && !isLineEnd(heldUnits_[end]))
        end++;
    if (end > 0)
        out.append(heldUnits_.data(), static_cast<int>(end));
    if (end < heldUnits_.size()) {
        ended = true;
        skipLineFeed_ = heldUnits_[end] == u'\r';
        heldUnits_.erase(0, end + 1);
    } else {
        heldUnits_.clear();
    }
    return static_cast<int>(end);
}

int TextReader::readLine(String& out)
{
    if (!in_)
        return -1;
    bool ended;
    int appended = _takeHeldLine(out, ended);
    if (ended)
        return appended;

    const size_t unit = _isUTF16() ? 2 : 1;
    const size_t lineBuffer = LINE_BUFFER_UNITS * unit;
    // A seekable stream is read in blocks and moved back to just past the
    // line end; any other one unit at a time, so that nothing after the line
    // is taken from it.
    ISeekable* seekable = in_->getSeekable();
    std::string line;
    line.swap(heldBytes_);
    std::string carried;
    size_t scan = 0; // the next unit to look at
    for (;;) {
        size_t before = line.size();
        size_t want = seekable ? lineBuffer : scan + unit - before;
        line.resize(before + want);
        int r = in_->read(&line[before], static_cast<int>(want));
        line.resize(before + static_cast<size_t>(r > 0 ? r : 0));
        if (r <= 0)
            break;
        while (scan + unit <= line.size()) {
            char16_t c = _unitAt(line, scan);
            if (scan == 0 && skipLineFeed_) {
                skipLineFeed_ = false;
                if (c == u'\n') {
                    line.erase(0, unit);
                    continue;
                }
            }
            if (!isLineEnd(c)) {
                scan += unit;
                continue;
            }
            size_t next = scan + unit;
            size_t extra = line.size() - next;
            appended += _appendDecoded(out, line.data(), static_cast<int>(scan), true, carried);
            skipLineFeed_ = c == u'\r';
            // Bytes past the line end go back to the stream, or when it
            // cannot take them are kept for the next read.
            if (extra > 0 && (!seekable || seekable->moveBy(-static_cast<int64_t>(extra)) < 0))
                _decode(line.data() + next, static_cast<int>(extra), false, heldUnits_, heldBytes_);
            return appended;
        }
        if (line.size() >= lineBuffer) {
            // A long line: convert what came so far, keeping a split
            // character for the next piece.
            appended += _appendDecoded(out, line.data(), static_cast<int>(scan), false, carried);
            line = carried + line.substr(scan);
            scan = carried.size();
        }
    }
    appended += _appendDecoded(out, line.data(), static_cast<int>(line.size()), true, carried);
    return appended;
}

} // namespace tessel
