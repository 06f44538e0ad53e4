#pragma once

#include "tessel/core/String.h"

namespace host {

// One decoded name/value pair of a query string or a form body. Fields keep
// their arrival order and a name may repeat.
struct FormField {
    tessel::String name;
    tessel::String value;
};

} // namespace host
