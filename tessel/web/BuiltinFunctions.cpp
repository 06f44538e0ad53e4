#include "tessel/web/BuiltinFunctions.h"

#include <climits>
#include <cmath>

#include "tessel/core/AnyValue.h"
#include "tessel/core/String.h"
#include "tessel/web/HttpFunction.h"

namespace tessel {

namespace {

// The arithmetic of expressions. "+", "-" and "*" work on numbers and give
// an integer for a whole result; "%" and "&" work on integers, and "%" by
// zero gives "NaN".
class OperatorFunction : public HttpFunction {
public:
    explicit OperatorFunction(char16_t op) : op_(op) {}

    bool isValid() override { return params_.size() >= 2; }

    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        AnyValue* left = params_[0];
        AnyValue* right = params_[1];
        switch (op_) {
        case u'%': {
            int divisor = right->getInt(data);
            if (divisor == 0)
                out = new AnyValue(u"NaN");
            else
                out = new AnyValue(divisor == -1 ? 0 : left->getInt(data) % divisor);
            return;
        }
        case u'&': out = new AnyValue(left->getInt(data) & right->getInt(data)); return;
        default: break;
        }
        double a = left->getDouble(data);
        double b = right->getDouble(data);
        double result = op_ == u'+' ? a + b : op_ == u'-' ? a - b : a * b;
        if (result == std::floor(result) && result >= INT_MIN && result <= INT_MAX)
            out = new AnyValue(static_cast<int>(result));
        else
            out = new AnyValue(result);
    }

private:
    char16_t op_;
};

// What a name that no function answers renders as.
class UnknownFunction : public HttpFunction {
public:
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        Ref<String> name = params_[0]->getString(data);
        String text(u"unknown function ");
        if (name)
            text.append(*name);
        out = new AnyValue(text.c_str());
    }
};

} // namespace

// The table of built-in functions is filled in with the function library.
bool BuiltinFunctions::create(const String&, HttpFunction**) { return false; }

HttpFunction* BuiltinFunctions::createOperator(char16_t op)
{
    switch (op) {
    case u'+':
    case u'-':
    case u'*':
    case u'%':
    case u'&': return new OperatorFunction(op);
    default: return nullptr;
    }
}

HttpFunction* BuiltinFunctions::createUnknown(const String& name)
{
    HttpFunction* function = new UnknownFunction();
    Ref<AnyValue> param = new AnyValue(new String(name));
    function->addParam(param);
    return function;
}

} // namespace tessel
