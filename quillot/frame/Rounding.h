#pragma once

#include "tessel/core/String.h"

// The one rounding of the business documents: quantities to 4 decimals,
// prices and rates to 8, money to 2, half away from zero on the number's
// decimal text, so that 2.675 (stored in binary as 2.67499999...) rounds to
// 2.68 as a person would round it.
class Rounding {
public:
    static constexpr int QUANTITY = 4;
    static constexpr int PRICE = 8;
    static constexpr int MONEY = 2;
    // Numbers beyond this size are refused as input.
    static constexpr double LIMIT = 1e12;

    static double round(double value, int places);
    static double quantity(double value) { return round(value, QUANTITY); }
    static double price(double value) { return round(value, PRICE); }
    static double money(double value) { return round(value, MONEY); }

    // The rounded value written with exactly `places` decimals ("2.68").
    static tessel::String text(double value, int places);

    // A number typed in a form: true with `out` set for a finite decimal
    // number not beyond LIMIT in size; an empty text is 0 when
    // `emptyIsZero`. False for anything else.
    static bool parse(const tessel::String& text, double& out, bool emptyIsZero = true);
};
