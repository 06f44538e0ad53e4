#include "host/HeaderValue.h"

namespace host {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool HeaderValue::equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string_view HeaderValue::trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string HeaderValue::mainValue(std::string_view header)
{
    std::string out(trim(header.substr(0, header.find(';'))));
    for (char& c : out)
        c = lower(c);
    return out;
}

bool HeaderValue::parameter(std::string_view header, std::string_view name, std::string& out)
{
    size_t pos = header.find(';');
    while (pos != std::string_view::npos && pos < header.size()) {
        ++pos; // past ";"
        while (pos < header.size() && isSpace(header[pos]))
            ++pos;
        size_t nameEnd = pos;
        while (nameEnd < header.size() && header[nameEnd] != '=' && header[nameEnd] != ';')
            ++nameEnd;
        std::string_view key = trim(header.substr(pos, nameEnd - pos));
        if (nameEnd >= header.size() || header[nameEnd] == ';') {
            pos = nameEnd; // a flag without a value
            continue;
        }
        size_t valueStart = nameEnd + 1;
        while (valueStart < header.size() && isSpace(header[valueStart]))
            ++valueStart;
        std::string_view value;
        if (valueStart < header.size() && header[valueStart] == '"') {
            size_t close = header.find('"', valueStart + 1);
            size_t end = close == std::string_view::npos ? header.size() : close;
            value = header.substr(valueStart + 1, end - valueStart - 1);
            pos = close == std::string_view::npos ? std::string_view::npos : header.find(';', close);
        } else {
            size_t end = header.find(';', valueStart);
            value = trim(
                header.substr(valueStart, end == std::string_view::npos ? std::string_view::npos : end - valueStart));
            pos = end;
        }
        if (equalsIgnoreCase(key, name)) {
            out.assign(value);
            return true;
        }
    }
    return false;
}

} // namespace host
