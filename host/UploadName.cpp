#include "host/UploadName.h"

#include "host/Utf8.h"

namespace host {

std::string_view UploadName::lastSegment(std::string_view clientName)
{
    size_t separator = clientName.find_last_of("/\\");
    return separator == std::string_view::npos ? clientName : clientName.substr(separator + 1);
}

bool UploadName::bareName(std::string_view clientName, tessel::String& out)
{
    std::string_view name = lastSegment(clientName);
    if (name.empty() || name == "." || name == ".." || name.size() > MAX_BYTES)
        return false;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
    }
    out = Utf8::decode(name);
    return true;
}

std::string UploadName::safeExtension(std::string_view bareName)
{
    constexpr size_t MAX_EXTENSION = 10;
    size_t dot = bareName.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string();
    std::string_view extension = bareName.substr(dot + 1);
    if (extension.empty() || extension.size() > MAX_EXTENSION)
        return std::string();
    std::string out;
    for (char c : extension) {
        if (c >= 'A' && c <= 'Z')
            out += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out += c;
        else
            return std::string();
    }
    return out;
}

} // namespace host
