#pragma once

#include <cstddef>
#include <string_view>

namespace host {

// The "%XX" escapes of URLs and form bodies, read the same way by every
// decoder of the host.
class PercentEscape {
public:
    // The byte that the escape beginning at `at` ("%" and two hexadecimal
    // digits) stands for, or -1 when there is no whole escape there.
    static int byteAt(std::string_view text, size_t at);
};

} // namespace host
