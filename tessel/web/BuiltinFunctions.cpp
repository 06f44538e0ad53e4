#include "tessel/web/BuiltinFunctions.h"

namespace tessel {

// The table of built-in functions is filled in with the function library.
bool BuiltinFunctions::create(const String&, HttpFunction**) { return false; }

} // namespace tessel
