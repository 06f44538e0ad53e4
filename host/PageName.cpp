#include "host/PageName.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

} // namespace

tessel::String PageName::fromPath(std::string_view path, const tessel::String& startPage)
{
    if (path == "/")
        return startPage;
    if (path.empty() || path.front() != '/')
        return tessel::String();
    std::string_view name = path.substr(1);
    constexpr std::string_view EXTENSION = ".htm";
    if (name.size() > EXTENSION.size() &&
        HeaderValue::equalsIgnoreCase(name.substr(name.size() - EXTENSION.size()), EXTENSION))
        name.remove_suffix(EXTENSION.size());
    if (name.empty() || name.size() > static_cast<size_t>(MAX_LENGTH))
        return tessel::String();
    tessel::String page;
    for (char c : name) {
        if (!isNameChar(c))
            return tessel::String();
        page.append(static_cast<char16_t>(c));
    }
    return page;
}

} // namespace host
