#pragma once

#include <cstdint>

#include "tessel/core/String.h"

// The pieces of SQL text the driver writes itself: quoted names and
// literals, and numbers written and read back exactly.
class SqlText {
public:
    // A plain name: a letter or "_", then letters, digits and "_", at most
    // 64 characters; never one of SQLite's own ("sqlite_...").
    static bool isIdentifier(const tessel::String& name);
    static tessel::String quoteIdentifier(const tessel::String& name);
    static tessel::String quoteLiteral(const tessel::String& text);
    // Doubles every single quote.
    static tessel::String escape(const tessel::String& text);

    // Whole-text conversions: no blanks, nothing left over.
    static bool parseInt64(const tessel::String& text, int64_t& out);
    static bool parseDouble(const tessel::String& text, double& out);
    // 17 significant digits, so that parseDouble gives the same double.
    static tessel::String formatDouble(double value);
    static tessel::String formatInt64(int64_t value);
};
