#pragma once

#include <cstdint>

#include "tessel/core/String.h"

// One value bound to a "?" of an SQL statement: NULL, an integer, a real
// number or a text. Built implicitly from those types, so that a call can
// list its values in braces: {name, id, 0.5}.
class DbParam {
public:
    enum Kind { NONE, INTEGER, REAL, TEXT };

    DbParam() = default;
    DbParam(int value) : kind_(INTEGER), integer_(value) {}
    DbParam(int64_t value) : kind_(INTEGER), integer_(value) {}
    DbParam(double value) : kind_(REAL), real_(value) {}
    DbParam(const tessel::String& value) : kind_(TEXT), text_(value) {}
    DbParam(const char16_t* value) : kind_(value ? TEXT : NONE), text_(value) {}

    // The SQL NULL.
    static DbParam null() { return DbParam(); }

    Kind kind() const { return kind_; }
    int64_t integer() const { return integer_; }
    double real() const { return real_; }
    const tessel::String& text() const { return text_; }

private:
    Kind kind_ = NONE;
    int64_t integer_ = 0;
    double real_ = 0;
    tessel::String text_;
};
