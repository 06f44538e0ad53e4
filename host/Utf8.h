#pragma once

#include <string>
#include <string_view>

#include "tessel/core/String.h"

namespace host {

// The one way bytes from the wire become text in the host. Ill-formed UTF-8
// and NUL bytes turn into U+FFFD, so a decoded text never carries an early
// terminator into the framework.
class Utf8 {
public:
    static tessel::String decode(std::string_view bytes);
    static std::string encode(const tessel::String& text);
};

} // namespace host
