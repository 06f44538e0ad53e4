#pragma once

#include <string>
#include <string_view>

namespace host {

// Reading of structured header values of the form
//   type/subtype; name=token; name="quoted text"
// as Content-Type and Content-Disposition carry them. Quoted texts run to
// the next quote with no escapes: browsers send Windows paths in file names
// with their backslashes as they are, and encode quotes as %22.
class HeaderValue {
public:
    // The text before the first ";", trimmed and in lower case.
    static std::string mainValue(std::string_view header);
    // The parameter `name` (ignoring letter case); false when absent.
    static bool parameter(std::string_view header, std::string_view name, std::string& out);
    static bool equalsIgnoreCase(std::string_view a, std::string_view b);
    static std::string_view trim(std::string_view text);
};

} // namespace host
