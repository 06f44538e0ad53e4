#include "tessel/core/ValuePath.h"

#include <cstring>
#include <string_view>

namespace tessel {

namespace {

bool isSection(std::u16string_view name)
{
    return name == u"FORM" || name == u"GET" || name == u"POST" || name == u"SERVER";
}

} // namespace

ValuePath::ValuePath(const String& path) : text_(path)
{
    // A path without a dot after its first unit is one key, as Value reads
    // it.
    int last = text_.lastIndexOf(u'.');
    if (last <= 0)
        return;
    int start = 0;
    while (start <= last) {
        int end = text_.indexOf(u'.', start);
        std::u16string_view name(text_.c_str() + start, static_cast<size_t>(end - start));
        Kind kind = NAME;
        if (name.empty())
            kind = EMPTY;
        else if (name == u"TOP")
            kind = TOP;
        else if (name == u"PARENT")
            kind = PARENT;
        else if (name == u"SELF")
            kind = SELF;
        else if (isSection(name))
            kind = SECTION;
        segments_.push_back({kind, start, end - start});
        start = end + 1;
    }
    keyStart_ = last + 1;
}

bool ValuePath::isPathOf(const String& text) const
{
    return text.size() == text_.size() &&
           std::memcmp(text.c_str(), text_.c_str(), static_cast<size_t>(text_.size()) * sizeof(char16_t)) == 0;
}

} // namespace tessel
