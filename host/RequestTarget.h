#pragma once

#include <string>
#include <string_view>

namespace host {

// The request target of a request line, cut into its path and query. The
// path stays percent-encoded: each route decodes what it needs and checks
// it after decoding.
struct RequestTarget {
    std::string path;  // begins with "/"
    std::string query; // without "?"

    // Accepts the origin form ("/a/b?x=1") and the absolute form
    // ("http://host/a/b?x=1"); false for anything else ("*", "a/b", "").
    // A "#" part, which clients should not send, is dropped.
    static bool parse(std::string_view target, RequestTarget& out);
};

} // namespace host
