#include "tessel/web/TagScanner.h"

namespace tessel {

const char16_t* const TagScanner::CLOSED = u"_CLOSED";

namespace {

char16_t at(const String& text, int pos)
{
    return pos < text.size() ? text[pos] : 0;
}

int skipBlanks(const String& text, int pos)
{
    while (pos < text.size() && TagScanner::isBlank(text[pos]))
        pos++;
    return pos;
}

// An attribute name runs to a blank, "=", ">" or "/>".
int nameEnd(const String& text, int pos)
{
    int size = text.size();
    while (pos < size) {
        char16_t c = text[pos];
        if (TagScanner::isBlank(c) || c == u'=' || c == u'>' || (c == u'/' && at(text, pos + 1) == u'>'))
            break;
        pos++;
    }
    return pos;
}

// A quoted value runs to the next same quote (or the end of the text); a
// bare one to the next character at or below U+0020.
int readValue(const String& text, int pos, String& value)
{
    int size = text.size();
    char16_t first = text[pos];
    if (first == u'"' || first == u'\'') {
        int close = text.indexOf(first, pos + 1);
        int end = close < 0 ? size : close;
        value = text.substr(pos + 1, end - pos - 1);
        return close < 0 ? size : close + 1;
    }
    int end = pos;
    while (end < size && text[end] > 32)
        end++;
    value = text.substr(pos, end - pos);
    return end;
}

} // namespace

int TagScanner::readAttributes(const String& text, int pos, Attributes& attributes)
{
    int size = text.size();
    while (pos < size) {
        pos = skipBlanks(text, pos);
        if (pos >= size)
            break;
        char16_t c = text[pos];
        if (c == u'>')
            return pos + 1;
        if ((c == u'/' || c == u'?') && at(text, pos + 1) == u'>') {
            if (c == u'/')
                attributes[CLOSED] = u"1";
            return pos + 2;
        }
        int end = nameEnd(text, pos);
        String name = text.substr(pos, end - pos);
        String value;
        pos = end;
        if (at(text, pos) == u'=') {
            pos = skipBlanks(text, pos + 1);
            if (pos < size)
                pos = readValue(text, pos, value);
        }
        attributes[name] = value;
    }
    return -1;
}

bool TagScanner::next(Tag& tag)
{
    int size = text_.size();
    int lt = text_.indexOf(u'<', position_);
    if (lt < 0) {
        position_ = size;
        return false;
    }
    int end = lt + 1;
    while (end < size && !endsName(text_[end]))
        end++;
    if (end >= size) {
        position_ = size;
        return false;
    }
    tag.name = text_.substr(lt + 1, end - lt - 1);
    tag.attributes.clear();
    tag.hasAttributes = false;
    if (tag.name.getAt(0) == u'/' || text_[end] == u'>') {
        int gt = text_.indexOf(u'>', end);
        if (gt < 0) {
            position_ = size;
            return false;
        }
        position_ = gt + 1;
        return true;
    }
    tag.hasAttributes = true;
    int after = readAttributes(text_, end, tag.attributes);
    if (after < 0) {
        position_ = size;
        return false;
    }
    position_ = after;
    return true;
}

} // namespace tessel
