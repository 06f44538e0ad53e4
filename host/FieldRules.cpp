#include "host/FieldRules.h"

#include <string_view>

namespace host {

namespace {

// Compared ignoring letter case: the tree itself only knows the upper-case
// words, but no page has a use for "session" or "top" as a field either.
const char16_t* const RESERVED_SEGMENTS[] = {
    u"TOP", u"PARENT", u"SELF", u"FORM", u"GET", u"POST", u"SERVER", u"SESSION",
};

bool isReserved(std::u16string_view segment)
{
    for (const char16_t* reserved : RESERVED_SEGMENTS) {
        std::u16string_view word(reserved);
        if (word.size() != segment.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < word.size() && same; ++i) {
            char16_t c = segment[i];
            if (c >= u'a' && c <= u'z')
                c = static_cast<char16_t>(c - u'a' + u'A');
            same = c == word[i];
        }
        if (same)
            return true;
    }
    return false;
}

bool isControl(char16_t c)
{
    return c < 0x20 || c == 0x7F;
}

} // namespace

bool FieldRules::isAcceptable(const tessel::String& name)
{
    if (name.empty() || name.size() > MAX_NAME_LENGTH)
        return false;
    std::u16string_view text(name.c_str(), static_cast<size_t>(name.size()));
    int depth = 0;
    size_t start = 0;
    while (true) {
        size_t dot = text.find(u'.', start);
        std::u16string_view segment = text.substr(start, dot == std::u16string_view::npos ? std::u16string_view::npos
                                                                                          : dot - start);
        if (segment.empty() || isReserved(segment) || ++depth > MAX_DEPTH)
            return false;
        for (char16_t c : segment) {
            if (isControl(c))
                return false;
        }
        if (dot == std::u16string_view::npos)
            return true;
        start = dot + 1;
    }
}

bool FieldRules::insert(tessel::Value& section, const tessel::String& name, const tessel::String& value)
{
    if (!isAcceptable(name))
        return false;
    return section.insert(name, value) != nullptr;
}

} // namespace host
