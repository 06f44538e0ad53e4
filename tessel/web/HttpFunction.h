#pragma once

#include "tessel/core/AnyValue.h"
#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"

namespace tessel {

class Value;

// A template function: it holds its parameters as expressions (the first is
// the value piped into it) and computes its result when the template renders.
class HttpFunction : public IObject {
public:
    ~HttpFunction() override = default;

    // Whether there are enough parameters; a function may append its default
    // parameters here. A function that is not valid yields no value.
    virtual bool isValid() { return params_.size() >= 1; }
    // Computes the result into `out`; a null result writes nothing.
    virtual void evaluate(Ref<AnyValue>& out, Value* data) = 0;

    void addParam(AnyValue* param) { params_.add(param); }
    int paramCount() const { return params_.size(); }
    AnyValue* getParam(int index) const { return params_.get(index); }

protected:
    Array<AnyValue> params_;
};

} // namespace tessel
