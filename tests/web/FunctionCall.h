#pragma once

#include <initializer_list>
#include <string>
#include <variant>

#include "tessel/core/AnyValue.h"
#include "tessel/core/Value.h"
#include "tessel/web/BuiltinFunctions.h"
#include "tessel/web/HttpFunction.h"

namespace tessel::testing {

// A parameter as a template gives it: a number, a text, or a path into the
// data (Path).
struct Path {
    const char16_t* path;
};
using Param = std::variant<int, double, bool, const char16_t*, Path>;

inline AnyValue* toValue(const Param& param)
{
    if (auto* value = std::get_if<int>(&param))
        return new AnyValue(*value);
    if (auto* value = std::get_if<double>(&param))
        return new AnyValue(*value);
    if (auto* value = std::get_if<bool>(&param))
        return new AnyValue(*value);
    if (auto* value = std::get_if<const char16_t*>(&param))
        return new AnyValue(*value);
    AnyValue* variable = new AnyValue(std::get<Path>(param).path);
    variable->setVariant();
    return variable;
}

// The text a template writes for the function with these parameters, or
// "<none>" when the function gives no value.
inline std::u16string textOf(HttpFunction* function, std::initializer_list<Param> params, Value* data = nullptr)
{
    Ref<HttpFunction> held = function;
    for (const Param& param : params)
        held->addParam(toValue(param));
    Ref<AnyValue> call = new AnyValue();
    *call = held.get();
    Ref<String> text = call->getString(data);
    return text ? std::u16string(text->c_str(), static_cast<size_t>(text->size())) : u"<none>";
}

// The same for a built-in function by name; "<unknown>" for a name that is
// not built in.
inline std::u16string call(const char16_t* name, std::initializer_list<Param> params, Value* data = nullptr)
{
    Ref<HttpFunction> function;
    if (!BuiltinFunctions::create(name, function.out()))
        return u"<unknown>";
    return textOf(function, params, data);
}

// The same for an operator of expressions.
inline std::u16string apply(char16_t op, std::initializer_list<Param> params, Value* data = nullptr)
{
    HttpFunction* function = BuiltinFunctions::createOperator(op);
    return function ? textOf(function, params, data) : u"<no operator>";
}

} // namespace tessel::testing
