#pragma once

namespace tessel {

class HttpFunction;
class String;

// The framework's own template functions, looked up by their exact
// (lower-case) name after the application had its say.
class BuiltinFunctions {
public:
    // Creates the function with no parameters; `out` receives one reference.
    static bool create(const String& name, HttpFunction** out);
};

} // namespace tessel
