#include "tessel/web/OperatorFunctions.h"

namespace tessel {

void ArithmeticFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    giveNumber(out, compute(number(0, data), number(1, data)));
}

void ModuloFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int divisor = integer(1, data);
    if (divisor == 0) {
        give(out, String(u"NaN"));
        return;
    }
    // Every integer divides by -1 without a remainder; asking the machine
    // would trap on the smallest integer.
    give(out, divisor == -1 ? 0 : integer(0, data) % divisor);
}

void BitAndFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    give(out, integer(0, data) & integer(1, data));
}

} // namespace tessel
