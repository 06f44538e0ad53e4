#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// The operators of template expressions, each a function of the value on
// its left (P1) and the one on its right (P2).

// "+", "-" and "*" compute on numbers; a whole result that fits an integer
// is an integer, any other a double.
class ArithmeticFunction : public BuiltinFunction {
public:
    ArithmeticFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;

protected:
    virtual double compute(double left, double right) const = 0;
};

class PlusFunction : public ArithmeticFunction {
protected:
    double compute(double left, double right) const override { return left + right; }
};

class MinusFunction : public ArithmeticFunction {
protected:
    double compute(double left, double right) const override { return left - right; }
};

class TimesFunction : public ArithmeticFunction {
protected:
    double compute(double left, double right) const override { return left * right; }
};

// "%": the remainder of the integers; the text "NaN" for a zero divisor.
class ModuloFunction : public BuiltinFunction {
public:
    ModuloFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "&": the bitwise and of the integers.
class BitAndFunction : public BuiltinFunction {
public:
    BitAndFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

} // namespace tessel
