#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

namespace tessel {

// Reads "array.xml": named lists of name/value items. Each <array name=..>
// becomes a node of the tree, at a path that its "message" attribute
// chooses; each <item name=.. value=..> a text under it. An item without a
// value takes its text from the message section of the array's path, which
// is why the messages are read first.
class ArrayReader {
public:
    // The tree of `text`, with one reference for the caller. `messages` may
    // be null.
    static Value* read(const String& text, Value* messages);

    // Where the array named `name` with the message attribute `message`
    // lives in the tree.
    static String pathOf(const String& name, const String& message);
};

} // namespace tessel
