#include "host/RequestTarget.h"

#include "host/HeaderValue.h"

namespace host {

namespace {

// "http://host:port/path?query" gives "/path?query"; a bare authority with
// a query ("http://host?x") gives the query after an empty path.
std::string originForm(std::string_view target)
{
    for (std::string_view scheme : {std::string_view("http://"), std::string_view("https://")}) {
        if (target.size() < scheme.size() || !HeaderValue::equalsIgnoreCase(target.substr(0, scheme.size()), scheme))
            continue;
        size_t rest = target.find_first_of("/?", scheme.size());
        if (rest == std::string_view::npos)
            return "/";
        if (target[rest] == '?')
            return "/" + std::string(target.substr(rest));
        return std::string(target.substr(rest));
    }
    return std::string(target);
}

} // namespace

bool RequestTarget::parse(std::string_view target, RequestTarget& out)
{
    target = target.substr(0, target.find('#'));
    std::string origin = originForm(target);
    if (origin.empty() || origin.front() != '/')
        return false;
    size_t question = origin.find('?');
    out.path = origin.substr(0, question);
    out.query = question == std::string::npos ? std::string() : origin.substr(question + 1);
    return true;
}

} // namespace host
