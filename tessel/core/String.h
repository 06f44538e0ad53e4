#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"

namespace tessel {

// UTF-16 text, one unit per character (no surrogate handling). A String
// owns its buffer, borrows one from somebody else (attached text, which is
// never grown, freed or reallocated), or has none at all, which reads as the
// empty text. The hash is cached; every change resets it, and the reset also
// marks the cached system code page form (toAnsi) as stale.
class String : public virtual IObject {
public:
    // Construction; every constructor starts with a count of 0.
    String() = default;
    explicit String(int capacity);
    explicit String(char16_t c);
    String(const char16_t* text, int length = 0, bool attach = false);
    String(int capacity, const char16_t* text);
    String(int capacity, const String& other);
    String(const String& other);
    String(String&& other) noexcept;
    String(const void* bytes, const char16_t* charset, int byteLength);
    ~String() override;

    // UTF-8 input and output for the code that meets the outside world.
    static String fromUTF8(std::string_view bytes);
    std::string toStdString() const;

    // Element access.
    int size() const { return length_; }
    int capacity() const { return buffer_ ? capacity_ : 0; }
    bool empty() const { return length_ == 0; }
    const char16_t* c_str() const { return buffer_ ? buffer_ : u""; }
    char16_t* toUnicode() const { return buffer_; }
    int sizeUnicode() const { return length_; }
    operator const char16_t*() const { return buffer_; }
    operator char16_t*() { return buffer_; }
    bool isAttached() const { return buffer_ && capacity_ == 0; }
    // No bounds check; writing through the reference keeps the cached hash.
    char16_t& operator[](int index) { return buffer_[index]; }
    char16_t operator[](int index) const { return buffer_[index]; }
    char16_t getAt(int index) const;
    void setAt(int index, char16_t c);
    bool isAlnum(int index) const;
    bool isAlpha(int index) const;
    bool isDigit(int index) const;
    bool isSpace(int index) const;

    // Assignment and concatenation.
    String& assign(const char16_t* text, int n = 0);
    String& assign(const String& other, int n = 0);
    String& attach(const char16_t* text, int length = 0);
    String& operator=(char16_t c);
    String& operator=(const char16_t* text);
    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& append(char16_t c);
    String& append(const char16_t* text, int n = 0);
    String& append(const String& other, int n = 0);
    String& append(int value);
    String& append(long value);
    String& operator+=(char16_t c) { return append(c); }
    String& operator+=(const char16_t* text) { return append(text); }
    String& operator+=(const String& other) { return append(other); }
    String operator+(char16_t c) const;
    String operator+(const char16_t* text) const;
    String operator+(const String& other) const;
    String& clear();
    bool ensure(int units, bool keep = true);

    // Comparison. The relational operators for a String go through the
    // virtual compare, and != through the virtual ==.
    virtual int compare(const String& other) const;
    int compare(const char16_t* text) const;
    int compare(const String& other, int count, int start) const;
    int compare(const char16_t* text, int count, int start) const;
    int compareIgnoreCase(const String& other) const;
    int compareIgnoreCase(const char16_t* text) const;
    int compareIgnoreCase(const String& other, int count, int start) const;
    int compareIgnoreCase(const char16_t* text, int count, int start) const;
    bool equals(const String& other) const { return *this == other; }
    bool equals(const char16_t* text) const { return *this == text; }
    bool equalsIgnoreCase(const String& other) const;
    bool equalsIgnoreCase(const char16_t* text) const;
    virtual bool operator>(const String& other) const { return compare(other) > 0; }
    virtual bool operator<(const String& other) const { return compare(other) < 0; }
    virtual bool operator>=(const String& other) const { return compare(other) >= 0; }
    virtual bool operator<=(const String& other) const { return compare(other) <= 0; }
    virtual bool operator!=(const String& other) const { return !(*this == other); }
    virtual bool operator==(const String& other) const;
    bool operator==(const char16_t* text) const;
    bool operator!=(const char16_t* text) const { return !(*this == text); }
    bool operator<(const char16_t* text) const { return compare(text) < 0; }
    bool operator>(const char16_t* text) const { return compare(text) > 0; }
    bool operator<=(const char16_t* text) const { return compare(text) <= 0; }
    bool operator>=(const char16_t* text) const { return compare(text) >= 0; }

    // Search; -1 when nothing is found.
    int indexOf(char16_t c, int from = 0) const;
    int indexOf(const String& pattern, int from = 0) const;
    int indexOf(const char16_t* pattern, int from = 0) const;
    int indexOfIgnoreCase(char16_t c, int from = 0) const;
    int indexOfIgnoreCase(const String& pattern, int from = 0) const;
    int indexOfIgnoreCase(const char16_t* pattern, int from = 0) const;
    int indexOfAny(const char16_t* set, int from = 0) const;
    int lastIndexOf(char16_t c, int from = 0) const;
    int lastIndexOf(const String& pattern, int from = 0) const;
    int lastIndexOf(const char16_t* pattern, int from = 0) const;
    int lastIndexOfIgnoreCase(char16_t c, int from = 0) const;
    int lastIndexOfIgnoreCase(const String& pattern, int from = 0) const;
    int lastIndexOfIgnoreCase(const char16_t* pattern, int from = 0) const;
    int lastIndexOfAny(const char16_t* set, int from = 0) const;
    bool startsWith(const String& prefix, int from = 0) const;
    bool startsWith(const char16_t* prefix, int from = 0) const;
    bool startsWithIgnoreCase(const String& prefix, int from = 0) const;
    bool startsWithIgnoreCase(const char16_t* prefix, int from = 0) const;
    bool endsWith(const String& suffix) const;
    bool endsWith(const char16_t* suffix) const;
    bool endsWithIgnoreCase(const String& suffix) const;
    bool endsWithIgnoreCase(const char16_t* suffix) const;
    int count(char16_t c, int from = 0) const;
    int count(const char16_t* text, int from = 0, Array<int>* positions = nullptr) const;
    int countIgnoreCase(const char16_t* text, int from = 0, Array<int>* positions = nullptr) const;

    // Editing, in place; each returns *this.
    String& replace(char16_t from, char16_t to, int start = 0);
    String& replaceAny(const char16_t* set, char16_t to, int start = 0);
    String& replace(const char16_t* what, const char16_t* with, int start = 0);
    String& replaceIgnoreCase(const char16_t* what, const char16_t* with, int start = 0);
    String& replace(int pos, int n, const String& with);
    String& replace(int pos, int n, const char16_t* with);
    String& insert(int pos, const String& text, char16_t fill = u' ');
    String& insert(int pos, const char16_t* text, char16_t fill = u' ');
    String& insertChars(int pos, int n, char16_t c);
    String& remove(int pos, int n);
    String& remove(char16_t c, int from = 0);
    String& removeAny(const char16_t* set, int from = 0);
    String substr(int pos) const;
    String substr(int pos, int n) const;
    String right(int n) const;
    String& trunc(int n, bool extend = false);
    String& fill(int n, char16_t c);
    String& leftTrim(const char16_t* set = nullptr);
    String& rightTrim(const char16_t* set = nullptr);
    String& trim(const char16_t* set = nullptr);
    String& reverse();
    String& toUpper();
    String& toLower();
    String& toUcfirst();
    String& toUcword();
    String& addSlashes(bool keepEscaped = false);
    String& removeSlashes();
    String& htmlEncode(bool tagsOnly = false);
    String& htmlDecode();
    String& format(const char16_t* fmt, ...);

    // Splitting and joining; split operations return the number of elements
    // appended to `out`.
    int split(const String& separator, Array<String>& out) const;
    int splitAny(const char16_t* set, Array<String>& out) const;
    int splitWords(Array<String>& out) const;
    int splitLines(Array<String>& out) const;
    String& join(const String& separator, const Array<String>& items);

    // Numbers.
    int toInteger(int from = 0) const;
    int64_t toLong(int from = 0) const;
    double toDouble(int from = 0) const;
    bool toBool(int from = 0) const;
    unsigned hashCode() const;

    // Encodings.
    const char* toAnsi() const;
    int sizeAnsi() const;
    int toUTF8(char* out, int size) const;
    String& fromCharset(const void* bytes, int charset, int byteLength);

protected:
    // Marks the text as changed (the cached hash and system code page form
    // are stale); for subclasses that write into the buffer directly.
    void changed() const { hash_ = 0; }

private:
    void dropAnsi() const;
    void setLength(int length);
    bool isOwned() const { return buffer_ && capacity_ > 0; }
    String& replaceAll(const char16_t* what, const char16_t* with, int start, bool ignoreCase);
    int countMatches(const char16_t* text, int from, Array<int>* positions, bool ignoreCase) const;
    int lastIndexOfUnit(char16_t c, int from, bool ignoreCase) const;
    int lastIndexOfText(const char16_t* pattern, int patternLength, int from, bool ignoreCase) const;
    int indexOfText(const char16_t* pattern, int patternLength, int from, bool ignoreCase) const;
    bool matchesAt(int pos, const char16_t* pattern, int patternLength, bool ignoreCase) const;
    int compareCounted(const char16_t* text, int textLength, int count, int start, bool ignoreCase) const;

    int capacity_ = 0;
    int length_ = 0;
    mutable unsigned hash_ = 0;
    char16_t* buffer_ = nullptr;
    mutable char* ansi_ = nullptr;
    mutable int ansiLength_ = 0;
};

// Free functions over NUL-terminated UTF-16 texts.
int length(const char16_t* text);
int compare(const char16_t* a, const char16_t* b, int n = 0);
int compareIgnoreCase(const char16_t* a, const char16_t* b, int n = 0);
int compareLowerCase(const char16_t* a, const char16_t* b, int n = 0);
int compareUpperCase(const char16_t* a, const char16_t* b, int n = 0);
int indexOf(const char16_t* a, const char16_t* b);
int indexOfAny(const char16_t* a, const char16_t* set);
bool startsWith(const char16_t* a, const char16_t* b);
bool endsWith(const char16_t* a, const char16_t* b);
int toInteger(const char16_t* text);
double toDouble(const char16_t* text);
bool toBool(const char16_t* text);
char16_t* toLower(char16_t* text, int n = 0);
char16_t* toUpper(char16_t* text, int n = 0);
unsigned hashCode(const char* bytes, int n);
unsigned hashCode(const char16_t* text, int n);
int charsetOf(const char16_t* name);

} // namespace tessel
