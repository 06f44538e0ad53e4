#include "tessel/web/BuiltinFunction.h"

#include <climits>
#include <cmath>

namespace tessel {

bool BuiltinFunction::isValid()
{
    int count = params_.size();
    switch (rule_) {
    case V1: return count >= 1;
    case V1z:
        if (count == 1)
            addParam(new AnyValue(0));
        return count >= 1;
    case V1o:
        if (count == 1)
            addParam(new AnyValue(1));
        return count >= 1;
    case V2: return count >= 2;
    case V2s:
        if (count == 2)
            addParam(new AnyValue(u""));
        return count >= 2;
    case V2z:
        if (count == 2)
            addParam(new AnyValue(0));
        return count >= 2;
    case V2d:
        if (count == 2)
            addParam(new AnyValue(u"..."));
        return count >= 2;
    case V3s:
        if (count == 3)
            addParam(new AnyValue(u""));
        return count >= 3;
    }
    return false;
}

String BuiltinFunction::text(int index, Value* data) const
{
    AnyValue* param = getParam(index);
    if (!param)
        return String();
    AnyValue::Text holder;
    const String* value = param->read(data, holder);
    return value ? String(*value) : String();
}

int BuiltinFunction::integer(int index, Value* data) const
{
    AnyValue* param = getParam(index);
    return param ? param->getInt(data) : 0;
}

double BuiltinFunction::number(int index, Value* data) const
{
    AnyValue* param = getParam(index);
    return param ? param->getDouble(data) : 0.0;
}

bool BuiltinFunction::boolean(int index, Value* data) const
{
    AnyValue* param = getParam(index);
    return param && param->getBool(data);
}

void BuiltinFunction::give(Ref<AnyValue>& out, const String& text)
{
    Ref<String> copy = new String(text);
    out = new AnyValue(copy.get());
}

void BuiltinFunction::give(Ref<AnyValue>& out, int value)
{
    out = new AnyValue(value);
}

void BuiltinFunction::giveNumber(Ref<AnyValue>& out, double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && value >= INT_MIN && value <= INT_MAX)
        out = new AnyValue(static_cast<int>(value));
    else
        out = new AnyValue(value);
}

void BuiltinFunction::giveParam(Ref<AnyValue>& out, int index) const
{
    if (AnyValue* param = getParam(index))
        out = param;
}

} // namespace tessel
