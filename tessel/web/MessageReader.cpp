#include "tessel/web/MessageReader.h"

namespace tessel {

namespace {

const char16_t* const BLANKS = u" \t\r\n";

bool isLineEnd(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

} // namespace

Value* MessageReader::read(const String& text)
{
    Ref<Value> root = new Value();
    // Held, since a key may be a path that replaces the section's node.
    Ref<Value> section;
    int size = text.size();
    int start = 0;
    while (start < size) {
        int end = start;
        while (end < size && !isLineEnd(text[end]))
            end++;
        if (end > start) {
            String line = text.substr(start, end - start);
            _line(line, *root, section);
        }
        start = end + 1;
    }
    return root.detach();
}

void MessageReader::_line(String& line, Value& root, Ref<Value>& section)
{
    line.leftTrim(BLANKS);
    if (line.empty() || line[0] == u'#')
        return;
    if (line[0] == u'[') {
        int close = line.lastIndexOf(u']');
        if (close < 0)
            return;
        String name = line.substr(1, close - 1);
        name.trim(BLANKS);
        section = root.insert(name);
        return;
    }
    int equals = line.lastIndexOf(u'=');
    if (equals < 0 || !section)
        return;
    String key = line.substr(0, equals);
    key.trim(BLANKS);
    if (key.empty())
        return;
    String value = line.substr(equals + 1);
    value.trim(BLANKS);
    section->insert(key, value);
}

} // namespace tessel
