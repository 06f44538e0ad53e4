#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpFunction.h"

namespace tessel {

class Value;

// Base of the framework's own template functions. Each names the rule by
// which it is valid, and the defaults that rule appends; the parameter
// readers give the empty text or 0 for a parameter that is not there.
class BuiltinFunction : public HttpFunction {
public:
    // At least one, two or three parameters; "z" appends an integer 0, "o"
    // an integer 1, "s" an empty text and "d" the text "..." when exactly
    // the required number is given.
    enum Rule { V1, V1z, V1o, V2, V2s, V2z, V2d, V3s };

    explicit BuiltinFunction(Rule rule) : rule_(rule) {}

    bool isValid() override;

protected:
    // Parameter `index` (0 is the piped value) read against the data.
    String text(int index, Value* data) const;
    int integer(int index, Value* data) const;
    double number(int index, Value* data) const;
    bool boolean(int index, Value* data) const;

    static void give(Ref<AnyValue>& out, const String& text);
    static void give(Ref<AnyValue>& out, int value);
    // An integer when the number is whole and fits one, else the double.
    static void giveNumber(Ref<AnyValue>& out, double value);
    // The parameter itself; nothing when there is no such parameter.
    void giveParam(Ref<AnyValue>& out, int index) const;

private:
    Rule rule_;
};

} // namespace tessel
