#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// Stands in for a function name that nobody knows: it renders
// "unknown function " and the name, its one parameter.
class UnknownFunction : public BuiltinFunction {
public:
    UnknownFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

} // namespace tessel
