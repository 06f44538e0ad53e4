#include "host/QueryString.h"

#include "host/PercentEscape.h"
#include "host/Utf8.h"

namespace host {

namespace {

std::string percentDecode(std::string_view text, bool plusIsSpace)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+' && plusIsSpace) {
            out += ' ';
            continue;
        }
        int escaped = PercentEscape::byteAt(text, i);
        if (escaped >= 0) {
            out += static_cast<char>(escaped);
            i += 2;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

std::string QueryString::unescape(std::string_view text)
{
    return percentDecode(text, true);
}

std::string QueryString::unescapePath(std::string_view text)
{
    return percentDecode(text, false);
}

bool QueryString::parse(std::string_view text, std::vector<FormField>& out, size_t maxFields)
{
    size_t added = 0;
    while (!text.empty()) {
        size_t amp = text.find('&');
        std::string_view piece = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (piece.empty())
            continue;
        if (added == maxFields)
            return false;
        size_t eq = piece.find('=');
        FormField field;
        field.name = Utf8::decode(unescape(piece.substr(0, eq)));
        if (eq != std::string_view::npos)
            field.value = Utf8::decode(unescape(piece.substr(eq + 1)));
        out.push_back(std::move(field));
        ++added;
    }
    return true;
}

} // namespace host
