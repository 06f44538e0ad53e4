#pragma once

#include "tessel/core/String.h"
#include "tessel/core/Value.h"

namespace host {

// Where a decoded request field may go in the action's data tree. Dotted
// names build nested nodes ("list.001.prdnm"), but the tree gives some
// segments a meaning of their own ("TOP", "PARENT", "SELF" move around the
// tree, a section name jumps to the root), so a name made of such segments
// could reach outside its section and overwrite "SESSION" or another
// section. Such names, and names that are empty, too long or too deep, are
// dropped.
class FieldRules {
public:
    static constexpr int MAX_NAME_LENGTH = 128; // UTF-16 units
    static constexpr int MAX_DEPTH = 4;         // segments

    static bool isAcceptable(const tessel::String& name);

    // Inserts the field into `section` (the "GET", "POST" or "FORM" node)
    // when its name is acceptable. A later field of the same name replaces
    // the earlier value. False when the field was dropped, or when the tree
    // could not take it (a name that continues below an existing leaf).
    static bool insert(tessel::Value& section, const tessel::String& name, const tessel::String& value);
};

} // namespace host
