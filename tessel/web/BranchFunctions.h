#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// Template functions that choose one of their parameters. The choice is
// the parameter itself, evaluated where it is written; a choice that is
// not there gives no value.

// "firstof": P3 when P1 mod P2 is 1, else P4; nothing for P2 < 1.
class FirstOfFunction : public BuiltinFunction {
public:
    FirstOfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "lastof": P3 when P1 mod P2 is 0, else P4; nothing for P2 < 1.
class LastOfFunction : public BuiltinFunction {
public:
    LastOfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "first": P2 when P1 is 1, else P3.
class FirstFunction : public BuiltinFunction {
public:
    FirstFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "later": P2 when P1 is 2 or more, else P3.
class LaterFunction : public BuiltinFunction {
public:
    LaterFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "laterof": P3 when P1 mod P2 is 2 or more, else P4; nothing for P2 < 1.
class LaterOfFunction : public BuiltinFunction {
public:
    LaterOfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "valueof": the parameter numbered P1 after P1 itself (1 gives P2).
class ValueOfFunction : public BuiltinFunction {
public:
    ValueOfFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "valueinc": as "valueof" with P1 + 1 (0 gives P2).
class ValueIncFunction : public BuiltinFunction {
public:
    ValueIncFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "evenif": P2 when P1 is even, else P3.
class EvenIfFunction : public BuiltinFunction {
public:
    EvenIfFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "oddif": P2 when P1 mod 2 is 1, else P3.
class OddIfFunction : public BuiltinFunction {
public:
    OddIfFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "equalif": P3 when P1 equals P2, else P4.
class EqualIfFunction : public BuiltinFunction {
public:
    EqualIfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "emptyif": P1 itself when its text is true, else P2.
class EmptyIfFunction : public BuiltinFunction {
public:
    EmptyIfFunction() : BuiltinFunction(V2) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "moreif": P3 when P1 > P2 as numbers, else P4.
class MoreIfFunction : public BuiltinFunction {
public:
    MoreIfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "lessif": P3 when P1 < P2 as numbers, else P4.
class LessIfFunction : public BuiltinFunction {
public:
    LessIfFunction() : BuiltinFunction(V3s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "numberif": P2 when the text of P1 is a number, else P3.
class NumberIfFunction : public BuiltinFunction {
public:
    NumberIfFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "iif": P2 when P1 is true, else P3.
class IifFunction : public BuiltinFunction {
public:
    IifFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "unless": P2 when P1 is false, else P3.
class UnlessFunction : public BuiltinFunction {
public:
    UnlessFunction() : BuiltinFunction(V2s) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

} // namespace tessel
