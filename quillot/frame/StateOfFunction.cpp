#include "quillot/frame/StateOfFunction.h"

using tessel::AnyValue;
using tessel::Ref;
using tessel::Value;

const char16_t* StateOfFunction::nameOf(int state)
{
    switch (state) {
    case 6: return u"redink";
    case 5: return u"rubric";
    case 4: return u"finish";
    default: return u"normal";
    }
}

void StateOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    out = new AnyValue(nameOf(params_[0]->getInt(data)));
}
