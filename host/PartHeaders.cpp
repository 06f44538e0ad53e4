#include "host/PartHeaders.h"

#include <vector>

#include "host/HeaderValue.h"
#include "host/QueryString.h"

namespace host {

namespace {

std::vector<std::string> unfoldLines(std::string_view block)
{
    std::vector<std::string> lines;
    while (!block.empty()) {
        size_t end = block.find('\n');
        std::string_view line = block.substr(0, end);
        block = end == std::string_view::npos ? std::string_view() : block.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if ((line.front() == ' ' || line.front() == '\t') && !lines.empty())
            lines.back().append(" ").append(HeaderValue::trim(line));
        else
            lines.emplace_back(line);
    }
    return lines;
}

// filename*=UTF-8''percent%20encoded (other charsets are not worth the
// trouble: form-data is UTF-8 throughout).
bool extendedFileName(std::string_view disposition, std::string& out)
{
    std::string value;
    if (!HeaderValue::parameter(disposition, "filename*", value))
        return false;
    size_t quote = value.find("''");
    if (quote == std::string::npos || !HeaderValue::equalsIgnoreCase(std::string_view(value).substr(0, quote), "utf-8"))
        return false;
    out = QueryString::unescapePath(std::string_view(value).substr(quote + 2));
    return true;
}

} // namespace

PartHeaders PartHeaders::parse(std::string_view block)
{
    PartHeaders headers;
    for (const std::string& line : unfoldLines(block)) {
        size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string_view name = HeaderValue::trim(std::string_view(line).substr(0, colon));
        std::string_view value = HeaderValue::trim(std::string_view(line).substr(colon + 1));
        if (HeaderValue::equalsIgnoreCase(name, "content-disposition")) {
            if (HeaderValue::mainValue(value) != "form-data")
                continue;
            HeaderValue::parameter(value, "name", headers.name);
            if (extendedFileName(value, headers.fileName))
                headers.hasFileName = true;
            else
                headers.hasFileName = HeaderValue::parameter(value, "filename", headers.fileName);
        } else if (HeaderValue::equalsIgnoreCase(name, "content-type")) {
            headers.contentType.assign(value);
        }
    }
    return headers;
}

} // namespace host
