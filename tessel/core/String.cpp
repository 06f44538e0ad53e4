#include "tessel/core/String.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <climits>

#include "tessel/core/CodePage.h"
#include "tessel/core/Character.h"
#include "tessel/core/Formatter.h"

namespace tessel {

namespace {

constexpr int MAX_UNITS = 0x3FFFFFF0; // keeps every capacity computation inside int

char16_t* allocateUnits(int units)
{
    return static_cast<char16_t*>(std::malloc(static_cast<size_t>(units) * sizeof(char16_t)));
}

void copyUnits(char16_t* to, const char16_t* from, int n)
{
    if (n > 0)
        std::memmove(to, from, static_cast<size_t>(n) * sizeof(char16_t));
}

char16_t fold(char16_t c, bool ignoreCase)
{
    return ignoreCase ? Character::toLower(c) : c;
}

// The comparison core: `b` is counted (blen >= 0) or NUL-terminated (blen < 0).
int compareCore(const char16_t* a, int alen, const char16_t* b, int blen, bool ignoreCase)
{
    int n = alen;
    if (blen >= 0 && blen < alen)
        n = blen;
    int i = 0;
    for (; i < n; i++) {
        char16_t x = fold(a[i], ignoreCase), y = fold(b[i], ignoreCase);
        if (x != y)
            return static_cast<int>(x) - static_cast<int>(y);
        if (blen < 0 && b[i] == 0)
            break;
    }
    if (blen >= 0)
        return alen - blen;
    return b[i] == 0 ? 0 : -1;
}

bool inSet(char16_t c, const char16_t* set)
{
    for (; *set; set++)
        if (*set == c)
            return true;
    return false;
}

bool isTrimmed(char16_t c, const char16_t* set)
{
    return set && *set ? inSet(c, set) : c <= 32;
}

unsigned finishHash(unsigned h)
{
    return h * 1103515243u + 12345u;
}

// Decimal conversion in the manner of _wtol: an optional sign and digits,
// clamped to the range of the result.
int64_t parseInteger(const char16_t* p, const char16_t* end)
{
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-'))
        negative = *p++ == u'-';
    uint64_t value = 0;
    bool overflow = false;
    for (; p < end && *p >= u'0' && *p <= u'9'; p++) {
        if (value > (static_cast<uint64_t>(INT64_MAX) - 9) / 10)
            overflow = true;
        else
            value = value * 10 + static_cast<unsigned>(*p - u'0');
    }
    if (overflow)
        return negative ? INT64_MIN : INT64_MAX;
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

int clampToInt(int64_t value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Plain decimals ("12.50", "-3", "7.") of at most 15 digits: the integer
// of their digits and the power of ten it is divided by are both exact
// doubles, so their quotient is the correctly rounded value strtod gives.
// False for any other text, which strtod reads.
bool parsePlainDecimal(const char* text, double& value)
{
    static const double POWERS[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                    1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    int64_t digits = 0;
    int count = 0;
    int fraction = 0;
    bool dot = false;
    for (;; p++) {
        if (*p >= '0' && *p <= '9') {
            if (++count > 15)
                return false;
            digits = digits * 10 + (*p - '0');
            fraction += dot ? 1 : 0;
        } else if (*p == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (count == 0 || *p != 0)
        return false;
    value = static_cast<double>(digits) / POWERS[fraction];
    if (negative)
        value = -value;
    return true;
}

double parseDouble(const char16_t* p, const char16_t* end)
{
    // Only ASCII can take part in a number; copy it out for strtod.
    char narrow[512];
    int n = 0;
    for (; p < end && n < static_cast<int>(sizeof narrow) - 1 && *p > 32 && *p < 128; p++)
        narrow[n++] = static_cast<char>(*p);
    narrow[n] = 0;
    double value = 0;
    if (parsePlainDecimal(narrow, value))
        return value;
    return std::strtod(narrow, nullptr);
}

const char16_t* skipBlanks(const char16_t* p, const char16_t* end)
{
    while (p < end && *p <= 32)
        p++;
    return p;
}

} // namespace

// ---------------------------------------------------------------- construction

String::String(int capacity)
{
    if (capacity >= 1 && ensure(capacity, false))
        setLength(0);
}

String::String(char16_t c)
{
    if (ensure(1, false)) {
        buffer_[0] = c;
        setLength(1);
    }
}

String::String(const char16_t* text, int length, bool attach)
{
    if (!text)
        return;
    if (length < 1)
        length = tessel::length(text);
    if (attach) {
        buffer_ = const_cast<char16_t*>(text);
        length_ = length;
        return;
    }
    if (ensure(length, false)) {
        copyUnits(buffer_, text, length);
        setLength(length);
    }
}

String::String(int capacity, const char16_t* text)
{
    int length = text ? tessel::length(text) : 0;
    int units = capacity <= length ? length + 1 : capacity;
    if (units < 1 || units > MAX_UNITS)
        return;
    buffer_ = allocateUnits(units);
    if (!buffer_)
        return;
    capacity_ = units;
    copyUnits(buffer_, text, length);
    setLength(length);
}

String::String(int capacity, const String& other)
{
    int length = other.length_;
    int units = capacity <= length ? length + 1 : capacity;
    if (units < 1 || units > MAX_UNITS)
        return;
    buffer_ = allocateUnits(units);
    if (!buffer_)
        return;
    capacity_ = units;
    copyUnits(buffer_, other.buffer_, length);
    setLength(length);
}

String::String(const String& other) : IObject()
{
    if (other.length_ == 0 || !other.buffer_)
        return;
    if (ensure(other.length_, false)) {
        copyUnits(buffer_, other.buffer_, other.length_);
        setLength(other.length_);
    }
}

String::String(String&& other) noexcept
    : IObject(), capacity_(other.capacity_), length_(other.length_), hash_(other.hash_), buffer_(other.buffer_),
      ansi_(other.ansi_), ansiLength_(other.ansiLength_)
{
    other.capacity_ = 0;
    other.length_ = 0;
    other.hash_ = 0;
    other.buffer_ = nullptr;
    other.ansi_ = nullptr;
    other.ansiLength_ = 0;
}

String::String(const void* bytes, const char16_t* charset, int byteLength)
{
    fromCharset(bytes, charsetOf(charset), byteLength);
}

String::~String()
{
    dropAnsi();
    if (isOwned())
        std::free(buffer_);
}

String String::fromUTF8(std::string_view bytes)
{
    String text;
    // An empty view is the empty text: a length of 0 would tell fromCharset
    // to read up to a terminator that the view need not have.
    if (bytes.empty())
        return text;
    text.fromCharset(bytes.data(), CodePage::UTF8, static_cast<int>(bytes.size()));
    return text;
}

std::string String::toStdString() const
{
    std::string out;
    int needed = toUTF8(nullptr, 0);
    if (needed <= 0)
        return out;
    out.resize(static_cast<size_t>(needed));
    out.resize(static_cast<size_t>(toUTF8(out.data(), needed)));
    return out;
}

// -------------------------------------------------------------- basic access

void String::setLength(int length)
{
    length_ = length;
    if (buffer_)
        buffer_[length] = 0;
    changed();
}

void String::dropAnsi() const
{
    std::free(ansi_);
    ansi_ = nullptr;
    ansiLength_ = 0;
}

bool String::ensure(int units, bool keep)
{
    if (buffer_ && capacity_ == 0)
        return units < length_;
    if (capacity_ > units)
        return true;
    if (units < 0 || units > MAX_UNITS)
        return false;
    int next;
    if (!buffer_)
        next = units < 16 ? 16 : (units + 31) & ~31;
    else if (units <= 0x100000)
        next = (2 * units + 31) & ~31;
    else
        next = (static_cast<int>(1.6 * units) + 31) & ~31;
    if (next <= units) // the terminator needs a unit of its own
        next += 32;
    if (buffer_ && keep) {
        auto* grown = static_cast<char16_t*>(std::realloc(buffer_, static_cast<size_t>(next) * sizeof(char16_t)));
        if (!grown)
            return false;
        buffer_ = grown;
    } else {
        if (buffer_)
            std::free(buffer_);
        buffer_ = allocateUnits(next);
        if (!buffer_) {
            capacity_ = 0;
            length_ = 0;
            return false;
        }
        buffer_[0] = 0;
        length_ = 0;
    }
    capacity_ = next;
    changed();
    return true;
}

char16_t String::getAt(int index) const
{
    return index >= 0 && index < length_ ? buffer_[index] : 0;
}

void String::setAt(int index, char16_t c)
{
    if (index < 0 || index >= length_ || buffer_[index] == c)
        return;
    buffer_[index] = c;
    changed();
}

bool String::isAlnum(int index) const
{
    return index >= 0 && index < length_ && Character::isAlnum(buffer_[index]);
}
bool String::isAlpha(int index) const
{
    return index >= 0 && index < length_ && Character::isAlpha(buffer_[index]);
}
bool String::isDigit(int index) const
{
    return index >= 0 && index < length_ && Character::isDigit(buffer_[index]);
}
bool String::isSpace(int index) const
{
    return index >= 0 && index < length_ && Character::isSpace(buffer_[index]);
}

// --------------------------------------------------- assignment, concatenation

String& String::assign(const char16_t* text, int n)
{
    if (!text) {
        if (buffer_) {
            buffer_[0] = 0;
            length_ = 0;
        }
        changed();
        return *this;
    }
    int count = n < 1 ? tessel::length(text) : n;
    if (isAttached()) {
        if (count > length_)
            count = length_;
        copyUnits(buffer_, text, count);
        changed();
        return *this;
    }
    bool aliased = buffer_ && text >= buffer_ && text < buffer_ + capacity_;
    if (aliased) {
        // The source lives in our own buffer: move it to the front in place.
        copyUnits(buffer_, text, count);
        setLength(count);
        return *this;
    }
    if (ensure(count, false)) {
        copyUnits(buffer_, text, count);
        setLength(count);
    }
    return *this;
}

String& String::assign(const String& other, int n)
{
    if (&other == this)
        return *this;
    if (!other.buffer_)
        return assign(static_cast<const char16_t*>(nullptr));
    int count = n < 1 || n > other.length_ ? other.length_ : n;
    if (count > 0)
        return assign(other.buffer_, count);
    // An empty source empties an owned buffer without allocating one.
    if (isOwned())
        setLength(0);
    else
        changed();
    return *this;
}

String& String::attach(const char16_t* text, int length)
{
    if (!text || length < 0)
        return clear();
    dropAnsi();
    if (isOwned())
        std::free(buffer_);
    buffer_ = const_cast<char16_t*>(text);
    capacity_ = 0;
    length_ = length < 1 ? tessel::length(text) : length;
    changed();
    return *this;
}

String& String::operator=(char16_t c)
{
    return assign(&c, 1);
}
String& String::operator=(const char16_t* text)
{
    return assign(text);
}
String& String::operator=(const String& other)
{
    return assign(other);
}

String& String::operator=(String&& other) noexcept
{
    if (&other == this)
        return *this;
    if (isAttached() || other.isAttached())
        return assign(other);
    dropAnsi();
    if (isOwned())
        std::free(buffer_);
    capacity_ = other.capacity_;
    length_ = other.length_;
    hash_ = other.hash_;
    buffer_ = other.buffer_;
    ansi_ = other.ansi_;
    ansiLength_ = other.ansiLength_;
    other.capacity_ = 0;
    other.length_ = 0;
    other.hash_ = 0;
    other.buffer_ = nullptr;
    other.ansi_ = nullptr;
    other.ansiLength_ = 0;
    return *this;
}

String& String::append(char16_t c)
{
    return append(&c, 1);
}

String& String::append(const char16_t* text, int n)
{
    if (!text || isAttached())
        return *this;
    int count = n < 1 ? tessel::length(text) : n;
    if (count == 0)
        return *this;
    bool aliased = buffer_ && text >= buffer_ && text < buffer_ + capacity_;
    if (aliased) {
        String copy(text, count);
        return append(copy.buffer_, count);
    }
    if (!ensure(length_ + count, true))
        return *this;
    copyUnits(buffer_ + length_, text, count);
    setLength(length_ + count);
    return *this;
}

String& String::append(const String& other, int n)
{
    if (!other.buffer_ || other.length_ == 0)
        return *this;
    int count = n < 1 || n >= other.length_ ? other.length_ : n;
    return append(other.buffer_, count);
}

String& String::append(int value)
{
    std::u16string text = Formatter::format(u"%d", value);
    return append(text.data(), static_cast<int>(text.size()));
}

String& String::append(long value)
{
    std::u16string text = Formatter::format(u"%ld", value);
    return append(text.data(), static_cast<int>(text.size()));
}

String String::operator+(char16_t c) const
{
    return *this + String(&c, 1);
}

String String::operator+(const char16_t* text) const
{
    int count = text ? tessel::length(text) : 0;
    String result(length_ + count + 1, *this);
    if (count)
        result.append(text, count);
    return result;
}

String String::operator+(const String& other) const
{
    String result(length_ + other.length_ + 1, *this);
    result.append(other);
    return result;
}

String& String::clear()
{
    dropAnsi();
    if (isAttached())
        buffer_ = nullptr;
    else if (buffer_)
        buffer_[0] = 0;
    length_ = 0;
    hash_ = 0;
    return *this;
}

// ---------------------------------------------------------------- comparison

int String::compare(const String& other) const
{
    if (&other == this || (buffer_ && buffer_ == other.buffer_ && length_ == other.length_))
        return 0;
    return compareCore(c_str(), length_, other.c_str(), other.length_, false);
}

int String::compare(const char16_t* text) const
{
    if (!text)
        return length_ == 0 ? 0 : 1;
    return compareCore(c_str(), length_, text, -1, false);
}

int String::compareCounted(const char16_t* text, int textLength, int count, int start, bool ignoreCase) const
{
    if (start > length_)
        return 1;
    if (count < 1)
        return 0;
    if (start < 0)
        start = 0;
    int mine = length_ - start < count ? length_ - start : count;
    int theirs = textLength < count ? textLength : count;
    return compareCore(c_str() + start, mine, text, theirs, ignoreCase);
}

int String::compare(const String& other, int count, int start) const
{
    if (&other == this)
        return 0;
    return compareCounted(other.c_str(), other.length_, count, start, false);
}

int String::compare(const char16_t* text, int count, int start) const
{
    const char16_t* safe = text ? text : u"";
    int textLength = 0;
    while (textLength < count && safe[textLength])
        textLength++;
    return compareCounted(safe, textLength, count, start, false);
}

int String::compareIgnoreCase(const String& other) const
{
    if (&other == this)
        return 0;
    return compareCore(c_str(), length_, other.c_str(), other.length_, true);
}

int String::compareIgnoreCase(const char16_t* text) const
{
    if (!text)
        return length_ == 0 ? 0 : 1;
    return compareCore(c_str(), length_, text, -1, true);
}

int String::compareIgnoreCase(const String& other, int count, int start) const
{
    if (&other == this)
        return 0;
    return compareCounted(other.c_str(), other.length_, count, start, true);
}

int String::compareIgnoreCase(const char16_t* text, int count, int start) const
{
    const char16_t* safe = text ? text : u"";
    int textLength = 0;
    while (textLength < count && safe[textLength])
        textLength++;
    return compareCounted(safe, textLength, count, start, true);
}

bool String::equalsIgnoreCase(const String& other) const
{
    return length_ == other.length_ && compareIgnoreCase(other) == 0;
}

bool String::equalsIgnoreCase(const char16_t* text) const
{
    if (!text)
        return !buffer_;
    return compareIgnoreCase(text) == 0;
}

bool String::operator==(const String& other) const
{
    if (&other == this)
        return true;
    if (length_ != other.length_)
        return false;
    if (buffer_ == other.buffer_)
        return true;
    if (hashCode() != other.hashCode())
        return false;
    return compareCore(c_str(), length_, other.c_str(), other.length_, false) == 0;
}

bool String::operator==(const char16_t* text) const
{
    if (!text)
        return !buffer_;
    return compare(text) == 0;
}

// -------------------------------------------------------------------- search

int String::indexOf(char16_t c, int from) const
{
    for (int i = from < 0 ? 0 : from; i < length_; i++)
        if (buffer_[i] == c)
            return i;
    return -1;
}

int String::indexOfIgnoreCase(char16_t c, int from) const
{
    char16_t folded = Character::toLower(c);
    for (int i = from < 0 ? 0 : from; i < length_; i++)
        if (Character::toLower(buffer_[i]) == folded)
            return i;
    return -1;
}

bool String::matchesAt(int pos, const char16_t* pattern, int patternLength, bool ignoreCase) const
{
    for (int k = 0; k < patternLength; k++)
        if (fold(buffer_[pos + k], ignoreCase) != fold(pattern[k], ignoreCase))
            return false;
    return true;
}

int String::indexOfText(const char16_t* pattern, int patternLength, int from, bool ignoreCase) const
{
    if (patternLength == 0)
        return 0;
    if (from < 0)
        from = 0;
    char16_t first = fold(pattern[0], ignoreCase);
    for (int i = from; i + patternLength <= length_; i++)
        if (fold(buffer_[i], ignoreCase) == first && matchesAt(i, pattern, patternLength, ignoreCase))
            return i;
    return -1;
}

int String::indexOf(const String& pattern, int from) const
{
    return indexOfText(pattern.c_str(), pattern.length_, from, false);
}

int String::indexOf(const char16_t* pattern, int from) const
{
    if (!pattern)
        return -1;
    return indexOfText(pattern, tessel::length(pattern), from, false);
}

int String::indexOfIgnoreCase(const String& pattern, int from) const
{
    return indexOfText(pattern.c_str(), pattern.length_, from, true);
}

int String::indexOfIgnoreCase(const char16_t* pattern, int from) const
{
    if (!pattern)
        return -1;
    return indexOfText(pattern, tessel::length(pattern), from, true);
}

int String::indexOfAny(const char16_t* set, int from) const
{
    if (!set || !*set)
        return -1;
    for (int i = from < 0 ? 0 : from; i < length_ && buffer_[i]; i++)
        if (inSet(buffer_[i], set))
            return i;
    return -1;
}

int String::lastIndexOfUnit(char16_t c, int from, bool ignoreCase) const
{
    if (from < 0 || length_ == 0)
        return -1;
    if (from == 0 || from >= length_)
        from = length_ - 1;
    char16_t folded = fold(c, ignoreCase);
    for (int i = from; i >= 0; i--)
        if (fold(buffer_[i], ignoreCase) == folded)
            return i;
    return -1;
}

int String::lastIndexOf(char16_t c, int from) const
{
    return lastIndexOfUnit(c, from, false);
}
int String::lastIndexOfIgnoreCase(char16_t c, int from) const
{
    return lastIndexOfUnit(c, from, true);
}

int String::lastIndexOfText(const char16_t* pattern, int patternLength, int from, bool ignoreCase) const
{
    if (from < 0)
        return -1;
    if (from == 0 || from > length_)
        from = length_;
    if (patternLength == 0)
        return from;
    for (int i = from - patternLength; i >= 0; i--)
        if (matchesAt(i, pattern, patternLength, ignoreCase))
            return i;
    return -1;
}

int String::lastIndexOf(const String& pattern, int from) const
{
    return lastIndexOfText(pattern.c_str(), pattern.length_, from, false);
}

int String::lastIndexOf(const char16_t* pattern, int from) const
{
    if (!pattern)
        return -1;
    return lastIndexOfText(pattern, tessel::length(pattern), from, false);
}

int String::lastIndexOfIgnoreCase(const String& pattern, int from) const
{
    return lastIndexOfText(pattern.c_str(), pattern.length_, from, true);
}

int String::lastIndexOfIgnoreCase(const char16_t* pattern, int from) const
{
    if (!pattern)
        return -1;
    return lastIndexOfText(pattern, tessel::length(pattern), from, true);
}

int String::lastIndexOfAny(const char16_t* set, int from) const
{
    if (!set || !*set || from < 0 || length_ == 0)
        return -1;
    if (from == 0 || from >= length_)
        from = length_ - 1;
    for (int i = from; i >= 0; i--)
        if (inSet(buffer_[i], set))
            return i;
    return -1;
}

bool String::startsWith(const String& prefix, int from) const
{
    if (&prefix == this || (buffer_ && buffer_ == prefix.buffer_ && length_ >= prefix.length_))
        return true;
    if (from < 0)
        from = 0;
    if (length_ < prefix.length_ + from)
        return false;
    if (prefix.length_ == 0)
        return true;
    return matchesAt(from, prefix.buffer_, prefix.length_, false);
}

bool String::startsWith(const char16_t* prefix, int from) const
{
    if (!prefix)
        return false;
    if (from < 0)
        from = 0;
    int n = tessel::length(prefix);
    if (length_ < n + from)
        return false;
    return n == 0 || matchesAt(from, prefix, n, false);
}

bool String::startsWithIgnoreCase(const String& prefix, int from) const
{
    if (&prefix == this)
        return true;
    if (from < 0)
        from = 0;
    if (length_ < prefix.length_ + from)
        return false;
    return prefix.length_ == 0 || matchesAt(from, prefix.buffer_, prefix.length_, true);
}

bool String::startsWithIgnoreCase(const char16_t* prefix, int from) const
{
    if (!prefix)
        return false;
    if (from < 0)
        from = 0;
    int n = tessel::length(prefix);
    if (length_ < n + from)
        return false;
    return n == 0 || matchesAt(from, prefix, n, true);
}

bool String::endsWith(const String& suffix) const
{
    if (&suffix == this || suffix.length_ == 0)
        return true;
    if (suffix.length_ > length_)
        return false;
    return matchesAt(length_ - suffix.length_, suffix.buffer_, suffix.length_, false);
}

bool String::endsWith(const char16_t* suffix) const
{
    if (!suffix)
        return false;
    int n = tessel::length(suffix);
    if (n > length_)
        return false;
    return n == 0 || matchesAt(length_ - n, suffix, n, false);
}

bool String::endsWithIgnoreCase(const String& suffix) const
{
    if (&suffix == this || suffix.length_ == 0)
        return true;
    if (suffix.length_ > length_)
        return false;
    return matchesAt(length_ - suffix.length_, suffix.buffer_, suffix.length_, true);
}

bool String::endsWithIgnoreCase(const char16_t* suffix) const
{
    if (!suffix)
        return false;
    int n = tessel::length(suffix);
    if (n > length_)
        return false;
    return n == 0 || matchesAt(length_ - n, suffix, n, true);
}

int String::count(char16_t c, int from) const
{
    int found = 0;
    for (int i = from < 0 ? 0 : from; i < length_; i++)
        if (buffer_[i] == c)
            found++;
    return found;
}

int String::countMatches(const char16_t* text, int from, Array<int>* positions, bool ignoreCase) const
{
    if (!text || !*text)
        return -1;
    int n = tessel::length(text);
    int found = 0;
    for (int i = indexOfText(text, n, from, ignoreCase); i >= 0; i = indexOfText(text, n, i + n, ignoreCase)) {
        found++;
        if (positions)
            positions->add(i);
    }
    return found;
}

int String::count(const char16_t* text, int from, Array<int>* positions) const
{
    return countMatches(text, from, positions, false);
}

int String::countIgnoreCase(const char16_t* text, int from, Array<int>* positions) const
{
    return countMatches(text, from, positions, true);
}

// ------------------------------------------------------------------- editing

String& String::replace(char16_t from, char16_t to, int start)
{
    if (from == to)
        return *this;
    bool any = false;
    for (int i = start < 0 ? 0 : start; i < length_; i++)
        if (buffer_[i] == from) {
            buffer_[i] = to;
            any = true;
        }
    if (any)
        changed();
    return *this;
}

String& String::replaceAny(const char16_t* set, char16_t to, int start)
{
    if (!set || !*set)
        return *this;
    bool any = false;
    for (int i = start < 0 ? 0 : start; i < length_; i++)
        if (inSet(buffer_[i], set)) {
            buffer_[i] = to;
            any = true;
        }
    if (any)
        changed();
    return *this;
}

String& String::replaceAll(const char16_t* what, const char16_t* with, int start, bool ignoreCase)
{
    if (!what || !with || start >= length_)
        return *this;
    Array<int> positions;
    int found = countMatches(what, start, &positions, ignoreCase);
    if (found <= 0)
        return *this;
    int whatLength = tessel::length(what), withLength = tessel::length(with);
    if (whatLength == withLength) {
        for (int i = 0; i < found; i++)
            copyUnits(buffer_ + positions[i], with, withLength);
        changed();
        return *this;
    }
    if (found == 1)
        return replace(positions[0], whatLength, with);
    int resultLength = length_ + (withLength - whatLength) * found;
    String result(resultLength + 1, static_cast<const char16_t*>(nullptr));
    char16_t* out = result.buffer_;
    if (!out)
        return *this;
    int copied = 0;
    for (int i = 0; i < found; i++) {
        int pos = positions[i];
        copyUnits(out, buffer_ + copied, pos - copied);
        out += pos - copied;
        copyUnits(out, with, withLength);
        out += withLength;
        copied = pos + whatLength;
    }
    copyUnits(out, buffer_ + copied, length_ - copied);
    result.setLength(resultLength);
    return assign(result);
}

String& String::replace(const char16_t* what, const char16_t* with, int start)
{
    return replaceAll(what, with, start, false);
}

String& String::replaceIgnoreCase(const char16_t* what, const char16_t* with, int start)
{
    return replaceAll(what, with, start, true);
}

String& String::replace(int pos, int n, const String& with)
{
    if (&with == this) {
        String copy(with);
        return replace(pos, n, copy.c_str());
    }
    return replace(pos, n, with.c_str());
}

String& String::replace(int pos, int n, const char16_t* with)
{
    if (!with)
        with = u"";
    int withLength = tessel::length(with);
    if (pos < 0) {
        n += pos;
        pos = 0;
    }
    if (pos >= length_ || (n < 1 && withLength == 0))
        return *this;
    if (n < 0)
        n = 0;
    if (pos + n > length_)
        n = length_ - pos;
    if (isAttached()) {
        int written = withLength < n ? withLength : n;
        copyUnits(buffer_ + pos, with, written);
        if (written < n) {
            copyUnits(buffer_ + pos + written, buffer_ + pos + n, length_ - pos - n);
            buffer_[length_ - (n - written)] = 0;
        }
        changed();
        return *this;
    }
    bool aliased = with >= buffer_ && with < buffer_ + capacity_;
    if (aliased) {
        String copy(with, withLength);
        return replace(pos, n, copy.c_str());
    }
    int newLength = length_ + withLength - n;
    if (!ensure(newLength, true))
        return *this;
    copyUnits(buffer_ + pos + withLength, buffer_ + pos + n, length_ - pos - n);
    copyUnits(buffer_ + pos, with, withLength);
    setLength(newLength);
    return *this;
}

String& String::insert(int pos, const String& text, char16_t fill)
{
    if (&text == this) {
        String copy(text);
        return insert(pos, copy.c_str(), fill);
    }
    return insert(pos, text.c_str(), fill);
}

String& String::insert(int pos, const char16_t* text, char16_t fill)
{
    if (isAttached() || !text || !*text)
        return *this;
    if (buffer_ && text >= buffer_ && text < buffer_ + capacity_) {
        String copy(text);
        return insert(pos, copy.c_str(), fill);
    }
    if (pos < 0)
        pos = 0;
    int n = tessel::length(text);
    int gap = pos > length_ ? pos - length_ : 0;
    int newLength = length_ + gap + n;
    if (!ensure(newLength, true))
        return *this;
    for (int i = 0; i < gap; i++)
        buffer_[length_ + i] = fill;
    if (gap == 0)
        copyUnits(buffer_ + pos + n, buffer_ + pos, length_ - pos);
    copyUnits(buffer_ + pos, text, n);
    setLength(newLength);
    return *this;
}

String& String::insertChars(int pos, int n, char16_t c)
{
    if (pos < 0) {
        n += pos;
        pos = 0;
    }
    if (n < 1 || isAttached())
        return *this;
    int gap = pos > length_ ? pos - length_ : 0;
    int newLength = length_ + gap + n;
    if (!ensure(newLength, true))
        return *this;
    for (int i = 0; i < gap; i++)
        buffer_[length_ + i] = u' ';
    if (gap == 0)
        copyUnits(buffer_ + pos + n, buffer_ + pos, length_ - pos);
    for (int i = 0; i < n; i++)
        buffer_[pos + i] = c;
    setLength(newLength);
    return *this;
}

String& String::remove(int pos, int n)
{
    if (pos < 0) {
        n += pos;
        pos = 0;
    }
    if (pos >= length_ || n < 1)
        return *this;
    if (pos + n > length_)
        n = length_ - pos;
    copyUnits(buffer_ + pos, buffer_ + pos + n, length_ - pos - n);
    if (isAttached()) {
        buffer_[length_ - n] = 0;
        changed();
    } else {
        setLength(length_ - n);
    }
    return *this;
}

String& String::remove(char16_t c, int from)
{
    if (from < 0)
        from = 0;
    if (from >= length_)
        return *this;
    int out = from;
    for (int i = from; i < length_; i++)
        if (buffer_[i] != c)
            buffer_[out++] = buffer_[i];
    if (out == length_)
        return *this;
    if (isAttached()) {
        buffer_[out] = 0;
        changed();
    } else {
        setLength(out);
    }
    return *this;
}

String& String::removeAny(const char16_t* set, int from)
{
    if (!set || !*set)
        return *this;
    if (from < 0)
        from = 0;
    if (from >= length_)
        return *this;
    int out = from;
    for (int i = from; i < length_; i++)
        if (!inSet(buffer_[i], set))
            buffer_[out++] = buffer_[i];
    if (out == length_)
        return *this;
    if (isAttached()) {
        buffer_[out] = 0;
        changed();
    } else {
        setLength(out);
    }
    return *this;
}

String String::substr(int pos) const
{
    if (pos >= length_)
        return String();
    if (pos < 1)
        return String(*this);
    return String(buffer_ + pos, length_ - pos);
}

String String::substr(int pos, int n) const
{
    if (pos < 0) {
        n += pos;
        pos = 0;
    }
    if (pos >= length_ || n < 1)
        return String();
    if (pos + n > length_)
        n = length_ - pos;
    return String(buffer_ + pos, n);
}

String String::right(int n) const
{
    if (n < 1)
        return String();
    if (n >= length_)
        return String(*this);
    return String(buffer_ + length_ - n, n);
}

String& String::trunc(int n, bool extend)
{
    if (!buffer_)
        return *this;
    if (n < 0)
        n = 0;
    if (isAttached()) {
        if (n < length_) {
            buffer_[n] = 0;
            changed();
        }
        return *this;
    }
    if (n >= length_) {
        if (extend && n < capacity_)
            setLength(n);
        return *this;
    }
    setLength(n);
    return *this;
}

String& String::fill(int n, char16_t c)
{
    if (n < 0)
        n = 0;
    if (isAttached()) {
        int count = n < length_ ? n : length_;
        for (int i = 0; i < count; i++)
            buffer_[i] = c;
        changed();
        return *this;
    }
    if (!ensure(n, false))
        return *this;
    for (int i = 0; i < n; i++)
        buffer_[i] = c;
    setLength(n);
    return *this;
}

String& String::leftTrim(const char16_t* set)
{
    int start = 0;
    while (start < length_ && isTrimmed(buffer_[start], set))
        start++;
    if (start > 0) {
        copyUnits(buffer_, buffer_ + start, length_ - start);
        setLength(length_ - start);
    }
    return *this;
}

String& String::rightTrim(const char16_t* set)
{
    int end = length_;
    while (end > 0 && isTrimmed(buffer_[end - 1], set))
        end--;
    if (end < length_)
        setLength(end);
    return *this;
}

String& String::trim(const char16_t* set)
{
    rightTrim(set);
    return leftTrim(set);
}

String& String::reverse()
{
    for (int i = 0, j = length_ - 1; i < j; i++, j--) {
        char16_t c = buffer_[i];
        buffer_[i] = buffer_[j];
        buffer_[j] = c;
    }
    if (length_ > 1)
        changed();
    return *this;
}

String& String::toUpper()
{
    for (int i = 0; i < length_; i++)
        buffer_[i] = Character::toUpper(buffer_[i]);
    changed();
    return *this;
}

String& String::toLower()
{
    for (int i = 0; i < length_; i++)
        buffer_[i] = Character::toLower(buffer_[i]);
    changed();
    return *this;
}

String& String::toUcfirst()
{
    if (length_ > 0)
        setAt(0, Character::toUpper(buffer_[0]));
    return *this;
}

String& String::toUcword()
{
    bool wordStart = true;
    for (int i = 0; i < length_; i++) {
        char16_t c = buffer_[i];
        if (c >= 128) {
            wordStart = false;
        } else if (!Character::isAlnum(c)) {
            wordStart = true;
        } else {
            if (wordStart)
                buffer_[i] = Character::toUpper(c);
            wordStart = false;
        }
    }
    changed();
    return *this;
}

String& String::addSlashes(bool keepEscaped)
{
    if (length_ == 0 || isAttached())
        return *this;
    auto needsSlash = [](char16_t c) { return c == u'\\' || c == u'\'' || c == u'"'; };
    String result(2 * length_ + 1, static_cast<const char16_t*>(nullptr));
    if (!result.buffer_)
        return *this;
    int out = 0;
    for (int i = 0; i < length_; i++) {
        char16_t c = buffer_[i];
        if (keepEscaped && c == u'\\' && i + 1 < length_ && needsSlash(buffer_[i + 1])) {
            result.buffer_[out++] = c;
            result.buffer_[out++] = buffer_[++i];
            continue;
        }
        if (needsSlash(c))
            result.buffer_[out++] = u'\\';
        result.buffer_[out++] = c;
    }
    if (out == length_)
        return *this;
    result.setLength(out);
    return assign(result);
}

String& String::removeSlashes()
{
    int out = 0;
    bool any = false;
    for (int i = 0; i < length_; i++) {
        char16_t c = buffer_[i];
        if (c == u'\\' && i + 1 < length_ &&
            (buffer_[i + 1] == u'\\' || buffer_[i + 1] == u'\'' || buffer_[i + 1] == u'"')) {
            c = buffer_[++i];
            any = true;
        }
        buffer_[out++] = c;
    }
    if (any)
        setLength(out);
    return *this;
}

String& String::htmlEncode(bool tagsOnly)
{
    if (!isOwned())
        return *this;
    auto entity = [tagsOnly](char16_t c) -> const char16_t* {
        switch (c) {
        case u'<': return u"&lt;";
        case u'>': return u"&gt;";
        case u'&': return tagsOnly ? nullptr : u"&amp;";
        case u'"': return tagsOnly ? nullptr : u"&quot;";
        case u'\'': return tagsOnly ? nullptr : u"&#39;";
        default: return nullptr;
        }
    };
    int end = 0;
    int extra = 0;
    for (; end < length_ && buffer_[end]; end++)
        if (const char16_t* e = entity(buffer_[end]))
            extra += tessel::length(e) - 1;
    if (extra == 0) {
        if (end < length_)
            setLength(end);
        return *this;
    }
    if (!ensure(end + extra, true))
        return *this;
    // Work from the end so that every character moves once.
    int out = end + extra;
    buffer_[out] = 0;
    for (int i = end - 1; i >= 0; i--) {
        char16_t c = buffer_[i];
        if (const char16_t* e = entity(c)) {
            int n = tessel::length(e);
            out -= n;
            copyUnits(buffer_ + out, e, n);
        } else {
            buffer_[--out] = c;
        }
    }
    setLength(end + extra);
    return *this;
}

String& String::htmlDecode()
{
    static const struct {
        const char16_t* name;
        int length;
        char16_t c;
    } entities[] = {
        {u"&lt;", 4, u'<'}, {u"&gt;", 4, u'>'}, {u"&amp;", 5, u'&'}, {u"&quot;", 6, u'"'}, {u"&nbsp;", 6, u' '},
    };
    if (!buffer_)
        return *this;
    int out = 0;
    int i = 0;
    bool any = false;
    for (; i < length_ && buffer_[i]; i++) {
        char16_t c = buffer_[i];
        if (c == u'&') {
            for (const auto& entity : entities) {
                if (i + entity.length <= length_ && matchesAt(i, entity.name, entity.length, false)) {
                    c = entity.c;
                    i += entity.length - 1;
                    any = true;
                    break;
                }
            }
        }
        buffer_[out++] = c;
    }
    if (any || i < length_) {
        if (isAttached()) {
            buffer_[out] = 0;
            changed();
        } else {
            setLength(out);
        }
    }
    return *this;
}

String& String::format(const char16_t* fmt, ...)
{
    if (!fmt || !*fmt)
        return *this;
    std::u16string text;
    va_list args;
    va_start(args, fmt);
    Formatter::append(text, fmt, args);
    va_end(args);
    int needed = static_cast<int>(text.size());
    if (isAttached()) {
        int count = needed < length_ ? needed : length_;
        copyUnits(buffer_, text.data(), count);
        buffer_[count] = 0;
        changed();
        return *this;
    }
    // Size the buffer as the retry loop over a bounded formatter would:
    // first 1.6 times the pattern, then exactly what the output needs.
    int first = static_cast<int>(1.6 * tessel::length(fmt));
    if (!ensure(first, false))
        return *this;
    if (needed >= capacity_ && !ensure(needed, false))
        return *this;
    copyUnits(buffer_, text.data(), needed);
    setLength(needed);
    return *this;
}

// ------------------------------------------------------- splitting, joining

int String::split(const String& separator, Array<String>& out) const
{
    if (separator.empty() || length_ == 0)
        return 0;
    int added = 0;
    int start = 0;
    for (int found = indexOf(separator, 0); found >= 0; found = indexOf(separator, start)) {
        String* piece = new String();
        if (found > start)
            piece->assign(buffer_ + start, found - start);
        out.add(piece);
        added++;
        start = found + separator.length_;
    }
    String* rest = new String();
    if (start < length_)
        rest->assign(buffer_ + start, length_ - start);
    out.add(rest);
    return added + 1;
}

int String::splitAny(const char16_t* set, Array<String>& out) const
{
    if (!buffer_ || !set || !*set)
        return 0;
    int added = 0;
    int i = 0;
    while (i < length_) {
        while (i < length_ && inSet(buffer_[i], set))
            i++;
        int start = i;
        while (i < length_ && !inSet(buffer_[i], set))
            i++;
        if (i > start) {
            out.add(new String(buffer_ + start, i - start));
            added++;
        }
    }
    return added;
}

int String::splitWords(Array<String>& out) const
{
    return splitAny(u" \t\r\n", out);
}

int String::splitLines(Array<String>& out) const
{
    if (!buffer_)
        return 0;
    int added = 0;
    int start = 0;
    for (int i = 0; i < length_; i++) {
        char16_t c = buffer_[i];
        if (c != u'\r' && c != u'\n')
            continue;
        String* line = new String();
        if (i > start)
            line->assign(buffer_ + start, i - start);
        out.add(line);
        added++;
        if (c == u'\r' && i + 1 < length_ && buffer_[i + 1] == u'\n')
            i++;
        start = i + 1;
    }
    String* rest = new String();
    if (start < length_)
        rest->assign(buffer_ + start, length_ - start);
    out.add(rest);
    return added + 1;
}

String& String::join(const String& separator, const Array<String>& items)
{
    String result;
    bool first = true;
    for (int i = 0; i < items.size(); i++) {
        const String* item = items[i];
        if (!item)
            continue;
        if (!first)
            result.append(separator);
        result.append(*item);
        first = false;
    }
    if (result.empty())
        return *this;
    return assign(result);
}

// ------------------------------------------------------------------- numbers

int String::toInteger(int from) const
{
    return clampToInt(toLong(from));
}

int64_t String::toLong(int from) const
{
    if (!buffer_ || from >= length_)
        return 0;
    if (from < 0)
        from = 0;
    const char16_t* end = buffer_ + length_;
    return parseInteger(skipBlanks(buffer_ + from, end), end);
}

double String::toDouble(int from) const
{
    if (!buffer_ || from >= length_)
        return 0;
    if (from < 0)
        from = 0;
    const char16_t* end = buffer_ + length_;
    return parseDouble(skipBlanks(buffer_ + from, end), end);
}

bool String::toBool(int from) const
{
    if (!buffer_ || from >= length_ || length_ == 0)
        return false;
    if (from < 0)
        from = 0;
    if (length_ - from >= 2)
        return true;
    char16_t c = buffer_[from];
    return c != u'0' && c != u' ';
}

unsigned String::hashCode() const
{
    if (hash_ == 0) {
        dropAnsi();
        hash_ = tessel::hashCode(c_str(), length_);
    }
    return hash_;
}

// ----------------------------------------------------------------- encodings

const char* String::toAnsi() const
{
    hashCode();
    if (!buffer_)
        return nullptr;
    if (ansi_)
        return ansi_;
    int needed = CodePage::encode(CodePage::SYSTEM, buffer_, length_, nullptr, 0);
    int size = needed > 3 * length_ ? needed : 3 * length_;
    ansi_ = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!ansi_)
        return nullptr;
    ansiLength_ = CodePage::encode(CodePage::SYSTEM, buffer_, length_, ansi_, size);
    ansi_[ansiLength_] = 0;
    return ansi_;
}

int String::sizeAnsi() const
{
    toAnsi();
    return ansiLength_;
}

int String::toUTF8(char* out, int size) const
{
    if (!buffer_)
        return 0;
    if (!out)
        return CodePage::encode(CodePage::UTF8, buffer_, length_, nullptr, 0);
    if (size < 1)
        return 0;
    int written = CodePage::encode(CodePage::UTF8, buffer_, length_, out, size);
    if (written < size)
        out[written] = 0;
    return written;
}

String& String::fromCharset(const void* bytes, int charset, int byteLength)
{
    if (!bytes)
        return assign(static_cast<const char16_t*>(nullptr));
    if (charset == CodePage::UTF16LE || charset == CodePage::UTF16BE) {
        int units;
        if (byteLength < 1) {
            units = 0;
            const char* p = static_cast<const char*>(bytes);
            while (p[2 * units] || p[2 * units + 1])
                units++;
        } else {
            units = byteLength / 2;
        }
        if (units == 0)
            return assign(static_cast<const char16_t*>(nullptr));
        // Units in the machine's order, copied through an aligned buffer.
        String copy(units + 1, static_cast<const char16_t*>(nullptr));
        if (!copy.buffer_)
            return *this;
        std::memcpy(copy.buffer_, bytes, static_cast<size_t>(units) * 2);
        copy.setLength(units);
        return assign(copy);
    }
    const char* text = static_cast<const char*>(bytes);
    int count = byteLength < 1 ? static_cast<int>(std::strlen(text)) : byteLength;
    if (count == 0)
        return assign(static_cast<const char16_t*>(nullptr));
    // No code page gives more units than bytes, so one conversion into a
    // buffer of byteLength + 1 units does; only output that fills it all
    // needs a second, exactly sized pass.
    String decoded(count + 2, static_cast<const char16_t*>(nullptr));
    if (!decoded.buffer_)
        return *this;
    int units = CodePage::decode(charset, text, count, decoded.buffer_, count + 1);
    if (units > count) {
        units = CodePage::decode(charset, text, count, nullptr, 0);
        decoded = String(units + 1, static_cast<const char16_t*>(nullptr));
        if (!decoded.buffer_)
            return *this;
        units = CodePage::decode(charset, text, count, decoded.buffer_, units);
    }
    if (units <= 0)
        return assign(static_cast<const char16_t*>(nullptr));
    decoded.setLength(units);
    return assign(decoded);
}

// ------------------------------------------------------------ free functions

int length(const char16_t* text)
{
    if (!text)
        return 0;
    const char16_t* p = text;
    while (*p)
        p++;
    return static_cast<int>(p - text);
}

namespace {

int compareFree(const char16_t* a, const char16_t* b, int n, bool ignoreCase)
{
    if (!a)
        return b ? -1 : 0;
    if (!b)
        return 1;
    int alen = length(a);
    if (n >= 1 && n < alen)
        alen = n;
    return compareCore(a, alen, b, -1, ignoreCase);
}

int compareFolded(const char16_t* a, const char16_t* b, int n, char16_t (*foldUnit)(char16_t))
{
    if (!a)
        return b ? -1 : 0;
    if (!b)
        return 1;
    if (n < 1)
        n = 0; // up to the terminators, as every length below 1 means
    for (int i = 0; n == 0 || i < n; i++) {
        char16_t x = foldUnit(a[i]), y = b[i];
        if (x != y)
            return static_cast<int>(x) - static_cast<int>(y);
        if (x == 0)
            return 0;
    }
    return b[n] ? 1 : 0;
}

} // namespace

int compare(const char16_t* a, const char16_t* b, int n)
{
    return compareFree(a, b, n, false);
}
int compareIgnoreCase(const char16_t* a, const char16_t* b, int n)
{
    return compareFree(a, b, n, true);
}
int compareLowerCase(const char16_t* a, const char16_t* b, int n)
{
    return compareFolded(a, b, n, Character::toLower);
}
int compareUpperCase(const char16_t* a, const char16_t* b, int n)
{
    return compareFolded(a, b, n, Character::toUpper);
}

int indexOf(const char16_t* a, const char16_t* b)
{
    if (!a || !b)
        return -1;
    if (!*b)
        return 0;
    String text(a, 0, true);
    return text.indexOf(b);
}

int indexOfAny(const char16_t* a, const char16_t* set)
{
    if (!a || !set)
        return -1;
    if (!*set)
        return 0;
    for (const char16_t* p = a; *p; p++)
        if (inSet(*p, set))
            return static_cast<int>(p - a);
    return -1;
}

bool startsWith(const char16_t* a, const char16_t* b)
{
    if (!a || !b)
        return false;
    for (; *b; a++, b++)
        if (*a != *b)
            return false;
    return true;
}

bool endsWith(const char16_t* a, const char16_t* b)
{
    if (!a || !b)
        return false;
    int alen = length(a), blen = length(b);
    if (blen > alen)
        return false;
    return std::memcmp(a + alen - blen, b, static_cast<size_t>(blen) * 2) == 0;
}

int toInteger(const char16_t* text)
{
    if (!text)
        return 0;
    const char16_t* end = text + length(text);
    return clampToInt(parseInteger(skipBlanks(text, end), end));
}

double toDouble(const char16_t* text)
{
    if (!text)
        return 0;
    const char16_t* end = text + length(text);
    return parseDouble(skipBlanks(text, end), end);
}

bool toBool(const char16_t* text)
{
    if (!text || !*text)
        return false;
    if (text[1])
        return true;
    return *text != u'0' && *text != u' ';
}

char16_t* toLower(char16_t* text, int n)
{
    if (!text)
        return text;
    for (int i = 0; text[i] && (n < 1 || i < n); i++)
        text[i] = Character::toLower(text[i]);
    return text;
}

char16_t* toUpper(char16_t* text, int n)
{
    if (!text)
        return text;
    for (int i = 0; text[i] && (n < 1 || i < n); i++)
        text[i] = Character::toUpper(text[i]);
    return text;
}

unsigned hashCode(const char* bytes, int n)
{
    unsigned h = static_cast<unsigned>(n) * 596579247u;
    for (int i = 0; i < n; i++)
        h += static_cast<unsigned>(static_cast<int>(static_cast<signed char>(bytes[i]))) << ((5 * i) % 24);
    return finishHash(h);
}

unsigned hashCode(const char16_t* text, int n)
{
    unsigned h = static_cast<unsigned>(n) * 596579247u;
    for (int i = 0; i < n; i++)
        h += static_cast<unsigned>(text[i]) << ((5 * i) % 24);
    return finishHash(h);
}

int charsetOf(const char16_t* name)
{
    if (!name)
        return 0;
    if (*name >= u'1' && *name <= u'9')
        return toInteger(name);
    String lower(name);
    lower.toLower();
    if (lower.startsWith(u"utf")) {
        int p = 3;
        if (lower.getAt(p) == u'-')
            p++;
        String rest = lower.substr(p);
        if (rest == u"16")
            return CodePage::UTF16LE;
        if (rest == u"8")
            return CodePage::UTF8;
        if (rest.startsWith(u"16"))
            rest = rest.substr(2);
        if (rest == u"le")
            return CodePage::UTF16LE;
        if (rest == u"be")
            return CodePage::UTF16BE;
        return 0;
    }
    if (lower.startsWith(u"windows-"))
        return lower.toInteger(8);
    if (lower == u"euc-jp")
        return 20932; // EUC-JP proper: Shift-JIS (932) would decode it wrongly
    if (lower == u"euc-kr")
        return 949;
    if (lower == u"euc-cn")
        return 936;
    if (lower.startsWith(u"euc-"))
        return 0;
    if (lower.startsWith(u"gb"))
        return 936;
    if (lower == u"big5")
        return 950;
    if (lower == u"shift_jis")
        return 932;
    return 0;
}

} // namespace tessel
