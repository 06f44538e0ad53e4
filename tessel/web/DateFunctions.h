#pragma once

#include "tessel/web/BuiltinFunction.h"

namespace tessel {

// Template functions over dates.

// "int2date": 20110315 gives "2011-03-15"; numbers below 10000000 nothing.
class Int2DateFunction : public BuiltinFunction {
public:
    Int2DateFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "date2int": a date text as "%Y%m%d".
class Date2IntFunction : public BuiltinFunction {
public:
    Date2IntFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "dateof": the local date and time of P1 seconds since 1970 ("2011-03-15
// 10:00:00"), cut to P2 characters when P2 > 0.
class DateOfFunction : public BuiltinFunction {
public:
    DateOfFunction() : BuiltinFunction(V1z) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "timeof": the time part of the same text, cut to P2 characters when P2 > 0.
class TimeOfFunction : public BuiltinFunction {
public:
    TimeOfFunction() : BuiltinFunction(V1z) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "longdate": "2011-03-15" gives "2011年3月15日".
class LongDateFunction : public BuiltinFunction {
public:
    LongDateFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "shortdate": "2011-03-15" gives "3月15日".
class ShortDateFunction : public BuiltinFunction {
public:
    ShortDateFunction() : BuiltinFunction(V1) {}
    void evaluate(Ref<AnyValue>& out, Value* data) override;
};

// "smartdate": the same as "shortdate".
class SmartDateFunction : public ShortDateFunction {};

} // namespace tessel
