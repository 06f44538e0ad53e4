// Stand-in for the parts of HttpContext that the library refers to, until
// the context itself is built. Nothing here is tested.
#include "tessel/web/HttpContext.h"

namespace tessel {

String HttpContext::getProperty(const String&) const { return String(); }
Value* HttpContext::getMessage(const String&) const { return nullptr; }
bool HttpContext::render(const String&, Value*, TextWriter&) { return false; }
bool HttpContext::convert(const String&, Value*, TextWriter&) { return false; }

} // namespace tessel
