#include "tessel/web/BranchFunctions.h"

#include <cstdint>

namespace tessel {

namespace {

// An optional sign, then digits with at most one "." that does not come
// first.
bool isNumber(const String& text)
{
    int start = text.size() > 0 && (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    if (start >= text.size() || text[start] == u'.')
        return false;
    bool point = false;
    for (int i = start; i < text.size(); i++) {
        if (text[i] == u'.' && !point)
            point = true;
        else if (text[i] < u'0' || text[i] > u'9')
            return false;
    }
    return true;
}

} // namespace

void FirstOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int divisor = integer(1, data);
    if (divisor >= 1)
        giveParam(out, integer(0, data) % divisor == 1 ? 2 : 3);
}

void LastOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int divisor = integer(1, data);
    if (divisor >= 1)
        giveParam(out, integer(0, data) % divisor == 0 ? 2 : 3);
}

void FirstFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, integer(0, data) == 1 ? 1 : 2);
}

void LaterFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, integer(0, data) >= 2 ? 1 : 2);
}

void LaterOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int divisor = integer(1, data);
    if (divisor >= 1)
        giveParam(out, integer(0, data) % divisor >= 2 ? 2 : 3);
}

void ValueOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int index = integer(0, data);
    if (index >= 1 && index < paramCount())
        giveParam(out, index);
}

void ValueIncFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int64_t index = static_cast<int64_t>(integer(0, data)) + 1;
    if (index >= 1 && index < paramCount())
        giveParam(out, static_cast<int>(index));
}

void EvenIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, integer(0, data) % 2 == 0 ? 1 : 2);
}

void OddIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, integer(0, data) % 2 == 1 ? 1 : 2);
}

void EqualIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    AnyValue* left = getParam(0);
    AnyValue* right = getParam(1);
    if (left && right)
        giveParam(out, left->equals(*right, data) ? 2 : 3);
}

void EmptyIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String value = text(0, data);
    if (value.toBool())
        give(out, value);
    else
        giveParam(out, 1);
}

void MoreIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, number(0, data) > number(1, data) ? 2 : 3);
}

void LessIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, number(0, data) < number(1, data) ? 2 : 3);
}

void NumberIfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, isNumber(text(0, data)) ? 1 : 2);
}

void IifFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, boolean(0, data) ? 1 : 2);
}

void UnlessFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveParam(out, boolean(0, data) ? 2 : 1);
}

} // namespace tessel
