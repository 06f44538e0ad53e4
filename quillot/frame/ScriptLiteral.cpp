#include "quillot/frame/ScriptLiteral.h"

using tessel::String;

namespace {

void appendUnicodeEscape(String& out, char16_t c)
{
    static const char16_t HEX[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += HEX[(c >> shift) & 0xF];
}

} // namespace

String ScriptLiteral::quote(const String& text)
{
    String out;
    append(out, text);
    return out;
}

void ScriptLiteral::append(String& out, const String& text)
{
    out += u'\'';
    for (int i = 0; i < text.size(); i++) {
        char16_t c = text[i];
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'\'': out += u"\\'"; break;
        case u'"': out += u"\\\""; break;
        case u'\n': out += u"\\n"; break;
        case u'\r': out += u"\\r"; break;
        case u'\t': out += u"\\t"; break;
        // Markup characters never appear as themselves, so the answer is
        // harmless inside a page too.
        case u'<':
        case u'>':
        case u'&':
        case 0x2028:
        case 0x2029: appendUnicodeEscape(out, c); break;
        default:
            if (c < 0x20 || c == 0x7F)
                appendUnicodeEscape(out, c);
            else
                out += c;
        }
    }
    out += u'\'';
}
