#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpFunction.h"

namespace tessel {

class HttpContext;

// Turns the text of a template expression into a value. Numbers, "true"
// and "false" are constants. In simple mode a quoted text is a literal and
// any other text a variable (a path into the data), unless it holds a "/"
// (a file or template path). The full syntax reads left to right with no
// precedence: "+", "-", "*", "%" and "&" combine the value so far with the
// next token, "|" pipes it into the function named next, "," adds a further
// parameter to the pending function, and ";" discards the token after it.
class ExpressionBuilder {
public:
    // Each operator and pipe wraps the value built so far; past this many
    // the rest of the expression is dropped, so that evaluating (and
    // releasing) the value never recurses without bound.
    static constexpr int MAX_DEPTH = 256;

    explicit ExpressionBuilder(HttpContext& context) : context_(context) {}

    // A new value, with one reference for the caller.
    AnyValue* build(const String& text, bool simple);

    // An optional sign, then at least one character, the first not ".", all
    // of them digits except at most one ".".
    static bool isNumber(const String& text);

private:
    enum Quote { NONE, DOUBLE, SINGLE };

    // The value of a number, "true", "false" or the empty text; null for
    // any other text.
    static AnyValue* _constant(const String& text);
    static AnyValue* _simple(const String& text);
    AnyValue* _expression(const String& text);
    // Applies the pending operator at the end of a token.
    void _endToken(char16_t pending, const String& token);

    HttpContext& context_;
    Ref<AnyValue> result_;
    Ref<HttpFunction> function_;
    int depth_ = 0;
};

} // namespace tessel
