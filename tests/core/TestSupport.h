#pragma once

#include <ostream>
#include <string>

#include "tessel/tessel.h"

namespace tessel {

// Failure messages show a String as its UTF-8 text.
inline void PrintTo(const String& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

} // namespace tessel

namespace testing_support {

// The contents of a String as a standard string, for comparisons that must
// also see embedded NULs and the exact length.
inline std::u16string units(const tessel::String& text)
{
    return std::u16string(text.c_str(), static_cast<size_t>(text.size()));
}

inline std::u16string units(const tessel::String* text)
{
    return text ? units(*text) : std::u16string(u"<null>");
}

// The elements of an array of texts, joined by "|" for compact expectations.
inline std::u16string joined(const tessel::Array<tessel::String>& items, int from = 0)
{
    std::u16string out;
    for (int i = from; i < items.size(); i++) {
        if (i > from)
            out += u'|';
        out += units(items[i]);
    }
    return out;
}

} // namespace testing_support
