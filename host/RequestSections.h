#pragma once

#include <string>

namespace tessel {
class Value;
}

namespace host {

class HostRequest;

// The request as the pages' data tree holds it:
//   GET     the query fields
//   POST    the body fields; there for every POST request (even with an
//           empty body) and for no other
//   FORM    the query fields, then the body fields (a body field wins)
//   SERVER  the CGI-style variables of the request
// Every field goes through FieldRules, so no field name can reach into
// another section, the "SESSION" tree or above the section it belongs to.
class RequestSections {
public:
    static void fill(tessel::Value& data, const HostRequest& request);

    // "SERVER"; the URL-like values only as UriText makes them safe.
    static void fillServer(tessel::Value& section, const HostRequest& request);

private:
    static void put(tessel::Value& section, const char16_t* name, const std::string& value);
};

} // namespace host
