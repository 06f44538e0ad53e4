#include "tessel/web/UnknownFunction.h"

namespace tessel {

void UnknownFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    give(out, String(u"unknown function ") + text(0, data));
}

} // namespace tessel
