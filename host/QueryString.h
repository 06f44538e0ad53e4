#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "host/FormField.h"

namespace host {

// Decoder of query strings and application/x-www-form-urlencoded bodies.
// Pairs are separated by "&" and come out in arrival order; "+" is a space,
// %XX is one byte, and the bytes of each name and value are read as UTF-8.
class QueryString {
public:
    static constexpr size_t MAX_FIELDS = 10000;

    // Appends the pairs of `text` to `out`. Empty pieces ("a=1&&b=2") are
    // skipped; a piece without "=" is a name with an empty value. Returns
    // false when more than `maxFields` pairs were offered: the rest is
    // dropped.
    static bool parse(std::string_view text, std::vector<FormField>& out, size_t maxFields = MAX_FIELDS);

    // "+" becomes a space and "%" with two hexadecimal digits the byte they
    // name; any other "%" stays as it is.
    static std::string unescape(std::string_view text);

    // Percent-decoding only ("+" stays): for URL paths.
    static std::string unescapePath(std::string_view text);
};

} // namespace host
