#include "host/Utf8.h"

namespace host {

tessel::String Utf8::decode(std::string_view bytes)
{
    // fromUTF8 would read an empty view up to a terminator that may not be
    // there, so empty input is answered here.
    if (bytes.empty())
        return tessel::String();
    tessel::String text = tessel::String::fromUTF8(bytes);
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == 0)
            text.setAt(i, u'\uFFFD');
    }
    return text;
}

std::string Utf8::encode(const tessel::String& text)
{
    return text.toStdString();
}

} // namespace host
