#pragma once

#include <string>

namespace host {

// Asks for a password on the terminal without showing what is typed. When
// standard input is not a terminal (a script feeding the server), the
// password is the next line of it.
class PasswordPrompt {
public:
    // False at the end of input.
    static bool read(const std::string& prompt, std::string& password);
};

} // namespace host
