#include "host/HostRequest.h"

#include "host/HeaderValue.h"

namespace host {

std::string HostRequest::header(std::string_view name) const
{
    for (const Header& header : headers) {
        if (HeaderValue::equalsIgnoreCase(header.first, name))
            return header.second;
    }
    return std::string();
}

bool HostRequest::hasHeader(std::string_view name) const
{
    for (const Header& header : headers) {
        if (HeaderValue::equalsIgnoreCase(header.first, name))
            return true;
    }
    return false;
}

} // namespace host
