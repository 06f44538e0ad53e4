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
    // The arithmetic operator of an expression ("+", "-", "*", "%", "&"),
    // with no parameters yet; null for any other character. No reference is
    // taken: the caller holds the first one.
    static HttpFunction* createOperator(char16_t op);
    // The stand-in for a name that no function answers: it renders
    // "unknown function " and the name, which it holds as its first
    // parameter. No reference is taken.
    static HttpFunction* createUnknown(const String& name);
};

} // namespace tessel
