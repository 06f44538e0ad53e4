#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// Template functions over numbers.

// "bytesize": a byte count as "1.50K", "2.00M", "1.25G" or "512B".
class ByteSizeFunction : public BuiltinFunction {
public:
    ByteSizeFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "intval": the integer of P1.
class IntValFunction : public BuiltinFunction {
public:
    IntValFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "ceil": the smallest integer not below P1.
class CeilFunction : public BuiltinFunction {
public:
    CeilFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "round": P1 rounded half away from zero to P2 decimals (a text) or, for
// P2 <= 0, to a multiple of 10 to the power -P2 (a number).
class RoundFunction : public BuiltinFunction {
public:
    RoundFunction() : BuiltinFunction(V1z) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "incof": P1 + P2.
class IncOfFunction : public BuiltinFunction {
public:
    IncOfFunction() : BuiltinFunction(V1o) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "format": P1 through the pattern P2, which must hold exactly one numeric
// conversion (flags, width, precision, one of d i u x X o f e g) and may
// hold "%%"; any other pattern gives no value.
class FormatFunction : public BuiltinFunction {
public:
    FormatFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "rmbof": an amount of money in Chinese capital numerals, as financial
// writing has it: 1.05 is 壹元零伍分, 100000000 is 壹亿元整.
class RmbOfFunction : public BuiltinFunction {
public:
    RmbOfFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "hexof": "%08X" of P1 when P1 > 0 or P2 is not 0, else the empty text.
class HexOfFunction : public BuiltinFunction {
public:
    HexOfFunction() : BuiltinFunction(V1z) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

} // namespace tessel
