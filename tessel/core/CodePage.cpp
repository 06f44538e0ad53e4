#include "tessel/core/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tessel {

namespace {

int systemCodePage = CodePage::UTF8;

// ICU names of the Windows tables. ICU's "cp950" and friends are IBM tables
// that differ from what Windows writes, so the Windows ones are named here.
const char* windowsTableName(int codePage)
{
    switch (codePage) {
    case 874: return "windows-874-2000";
    case 932: return "ibm-943_P15A-2003";
    case 936: return "windows-936-2000";
    case 949: return "windows-949-2000";
    case 950: return "windows-950-2000";
    case 1200: return "UTF-16LE";
    case 1201: return "UTF-16BE";
    case 20127: return "US-ASCII";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    case CodePage::UTF8: return "UTF-8";
    default: return nullptr;
    }
}

UConverter* openConverter(int codePage)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = nullptr;
    if (const char* name = windowsTableName(codePage)) {
        converter = ucnv_open(name, &status);
    } else if (codePage >= 28591 && codePage <= 28606) {
        char name[32];
        std::snprintf(name, sizeof name, "ISO-8859-%d", codePage - 28590);
        converter = ucnv_open(name, &status);
    } else if (codePage > 0) {
        for (const char* pattern : {"windows-%d", "ibm-%d"}) {
            char name[32];
            std::snprintf(name, sizeof name, pattern, codePage);
            status = U_ZERO_ERROR;
            converter = ucnv_open(name, &status);
            if (U_SUCCESS(status))
                break;
            converter = nullptr;
        }
    }
    if (U_FAILURE(status)) {
        if (converter)
            ucnv_close(converter);
        return nullptr;
    }
    if (converter) {
        // Windows writes "?" for characters a code page cannot hold.
        UErrorCode substStatus = U_ZERO_ERROR;
        ucnv_setSubstChars(converter, "?", 1, &substStatus);
    }
    return converter;
}

// One converter per code page and thread, reset before each use.
class ConverterCache {
public:
    ~ConverterCache()
    {
        for (auto& entry : converters_)
            if (entry.second)
                ucnv_close(entry.second);
    }

    UConverter* get(int codePage)
    {
        auto found = converters_.find(codePage);
        if (found == converters_.end())
            found = converters_.emplace(codePage, openConverter(codePage)).first;
        if (found->second)
            ucnv_reset(found->second);
        return found->second;
    }

private:
    std::map<int, UConverter*> converters_;
};

UConverter* cachedConverter(int codePage)
{
    thread_local ConverterCache cache;
    return cache.get(codePage);
}

int copyUTF16(bool bigEndian, const char* bytes, int length, char16_t* out, int capacity)
{
    int units = length / 2;
    if (!out)
        return units;
    if (units > capacity)
        units = capacity;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes);
    for (int i = 0; i < units; i++) {
        unsigned first = in[2 * i], second = in[2 * i + 1];
        out[i] = static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return units;
}

int writeUTF16(bool bigEndian, const char16_t* text, int length, char* out, int capacity)
{
    int bytes = length * 2;
    if (!out)
        return bytes;
    int units = (capacity < bytes ? capacity : bytes) / 2;
    for (int i = 0; i < units; i++) {
        char high = static_cast<char>(text[i] >> 8), low = static_cast<char>(text[i] & 0xFF);
        out[2 * i] = bigEndian ? high : low;
        out[2 * i + 1] = bigEndian ? low : high;
    }
    return units * 2;
}

// ICU has no Windows table for 932; the closest, IBM's 943, moves three
// control codes around (byte 0x1A is U+001C, 0x1C is U+007F and 0x7F is
// U+001A) where Windows maps each byte to itself. None of the three bytes
// is ever part of a double-byte character, and ICU produces none of these
// units otherwise, so the units are swapped back after decoding and before
// encoding.
bool swapsControls(int codePage)
{
    return codePage == 932;
}

char16_t windowsControl(char16_t ibm)
{
    switch (ibm) {
    case 0x1C: return 0x1A;
    case 0x7F: return 0x1C;
    case 0x1A: return 0x7F;
    default: return ibm;
    }
}

char16_t ibmControl(char16_t windows)
{
    switch (windows) {
    case 0x1A: return 0x1C;
    case 0x1C: return 0x7F;
    case 0x7F: return 0x1A;
    default: return windows;
    }
}

int toWindowsControls(int codePage, char16_t* units, int count)
{
    if (swapsControls(codePage))
        for (int i = 0; i < count; i++)
            units[i] = windowsControl(units[i]);
    return count;
}

// The text as the IBM table wants it, or empty when it needs no change.
std::u16string toIbmControls(int codePage, const char16_t* text, int length)
{
    std::u16string swapped;
    if (!swapsControls(codePage))
        return swapped;
    for (int i = 0; i < length; i++) {
        if (ibmControl(text[i]) != text[i]) {
            swapped.assign(text, static_cast<size_t>(length));
            for (char16_t& unit : swapped)
                unit = ibmControl(unit);
            break;
        }
    }
    return swapped;
}

// Encodes into `out` and keeps only whole characters. ICU splits a
// character whose bytes do not all fit, which would leave a broken
// sequence at the end of the output; so the piece around the boundary is
// converted again with a little room to spare, and the bytes of the
// character that straddles the boundary are dropped.
int encodeWholeCharacters(UConverter* converter, const char16_t* text, int length, char* out, int capacity)
{
    UErrorCode status = U_ZERO_ERROR;
    char* target = out;
    const char16_t* source = text;
    ucnv_reset(converter);
    ucnv_fromUnicode(converter, &target, out + capacity, &source, text + length, nullptr, true, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR)
        return static_cast<int>(target - out);

    int room = capacity + ucnv_getMaxCharSize(converter) + 4;
    std::vector<char> bytes(static_cast<size_t>(room));
    std::vector<int32_t> offsets(static_cast<size_t>(room));
    status = U_ZERO_ERROR;
    target = bytes.data();
    source = text;
    ucnv_reset(converter);
    ucnv_fromUnicode(converter, &target, bytes.data() + room, &source, text + length, offsets.data(), true, &status);
    int written = static_cast<int>(target - bytes.data());
    int keep = written < capacity ? written : capacity;
    // A byte that comes from the same character as the byte before it is
    // not the start of a character.
    while (keep > 0 && keep < written && offsets[keep] == offsets[keep - 1])
        keep--;
    std::memcpy(out, bytes.data(), static_cast<size_t>(keep));
    return keep;
}

} // namespace

int CodePage::systemDefault()
{
    return systemCodePage;
}

void CodePage::setSystemDefault(int codePage)
{
    if (codePage > 0)
        systemCodePage = codePage;
}

int CodePage::resolve(int codePage)
{
    return codePage == SYSTEM ? systemCodePage : codePage;
}

bool CodePage::isUTF16(int codePage)
{
    codePage = resolve(codePage);
    return codePage == UTF16LE || codePage == UTF16BE;
}

bool CodePage::isSupported(int codePage)
{
    codePage = resolve(codePage);
    return isUTF16(codePage) || cachedConverter(codePage) != nullptr;
}

int CodePage::decode(int codePage, const char* bytes, int length, char16_t* out, int capacity)
{
    codePage = resolve(codePage);
    if (!bytes || length <= 0 || (out && capacity <= 0))
        return 0;
    if (codePage == UTF16LE || codePage == UTF16BE)
        return copyUTF16(codePage == UTF16BE, bytes, length, out, capacity);

    UErrorCode status = U_ZERO_ERROR;
    int32_t written = 0;
    if (codePage == UTF8) {
        u_strFromUTF8WithSub(out, out ? capacity : 0, &written, bytes, length, 0xFFFD, nullptr, &status);
        bool overflow = status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING;
        if (!overflow)
            return U_FAILURE(status) ? 0 : written;
        if (!out)
            return written;
        status = U_ZERO_ERROR; // too long for `out`: keep the part that fits
    }
    UConverter* converter = cachedConverter(codePage);
    if (!converter)
        return 0;
    if (!out) {
        written = ucnv_toUChars(converter, nullptr, 0, bytes, length, &status);
        return written;
    }
    // Convert piecewise so that a short output buffer keeps what fits.
    char16_t* target = out;
    const char* source = bytes;
    ucnv_toUnicode(converter, &target, out + capacity, &source, bytes + length, nullptr, true, &status);
    return toWindowsControls(codePage, out, static_cast<int>(target - out));
}

int CodePage::encode(int codePage, const char16_t* text, int length, char* out, int capacity)
{
    codePage = resolve(codePage);
    if (!text || length <= 0 || (out && capacity <= 0))
        return 0;
    if (codePage == UTF16LE || codePage == UTF16BE)
        return writeUTF16(codePage == UTF16BE, text, length, out, capacity);

    UErrorCode status = U_ZERO_ERROR;
    int32_t written = 0;
    if (codePage == UTF8) {
        u_strToUTF8WithSub(out, out ? capacity : 0, &written, text, length, 0xFFFD, nullptr, &status);
        if (status == U_STRING_NOT_TERMINATED_WARNING)
            return written; // an exact fit
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            if (!out)
                return written;
            UConverter* converter = cachedConverter(UTF8);
            return converter ? encodeWholeCharacters(converter, text, length, out, capacity) : 0;
        }
        return U_FAILURE(status) ? 0 : written;
    }
    UConverter* converter = cachedConverter(codePage);
    if (!converter)
        return 0;
    if (!out)
        return ucnv_fromUChars(converter, nullptr, 0, text, length, &status);
    std::u16string swapped = toIbmControls(codePage, text, length);
    return encodeWholeCharacters(converter, swapped.empty() ? text : swapped.data(), length, out, capacity);
}

struct CodePage::Decoder::State {
    UConverter* converter = nullptr;
    unsigned char carried = 0; // the first byte of a split UTF-16 unit
    bool hasCarried = false;

    ~State()
    {
        if (converter)
            ucnv_close(converter);
    }
};

CodePage::Decoder::Decoder(int codePage) : codePage_(resolve(codePage)), state_(new State)
{
    if (!isUTF16(codePage_))
        state_->converter = openConverter(codePage_);
}

CodePage::Decoder::~Decoder() = default;

int CodePage::Decoder::decode(const char* bytes, int length, char16_t* out, bool flush)
{
    if (!out || length < 0)
        return 0;
    if (isUTF16(codePage_)) {
        bool bigEndian = codePage_ == UTF16BE;
        int written = 0;
        int i = 0;
        if (state_->hasCarried && length > 0) {
            char pair[2] = {static_cast<char>(state_->carried), bytes[0]};
            written += copyUTF16(bigEndian, pair, 2, out, 1);
            state_->hasCarried = false;
            i = 1;
        }
        int whole = (length - i) / 2 * 2;
        written += copyUTF16(bigEndian, bytes + i, whole, out + written, (length - i) / 2);
        i += whole;
        if (i < length) {
            state_->carried = static_cast<unsigned char>(bytes[i]);
            state_->hasCarried = true;
        }
        if (flush && state_->hasCarried) {
            out[written++] = 0xFFFD;
            state_->hasCarried = false;
        }
        return written;
    }
    if (!state_->converter)
        return 0;
    UErrorCode status = U_ZERO_ERROR;
    char16_t* target = out;
    const char* source = bytes;
    ucnv_toUnicode(state_->converter, &target, out + length + 2, &source, bytes + length, nullptr, flush, &status);
    return toWindowsControls(codePage_, out, static_cast<int>(target - out));
}

int CodePage::Decoder::pending() const
{
    if (isUTF16(codePage_))
        return state_->hasCarried ? 1 : 0;
    if (!state_->converter)
        return 0;
    UErrorCode status = U_ZERO_ERROR;
    int count = ucnv_toUCountPending(state_->converter, &status);
    return U_FAILURE(status) || count < 0 ? 0 : count;
}

void CodePage::Decoder::reset()
{
    state_->hasCarried = false;
    if (state_->converter)
        ucnv_reset(state_->converter);
}

} // namespace tessel
