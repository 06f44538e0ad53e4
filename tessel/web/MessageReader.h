#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

namespace tessel {

// Reads "message.ini": "[section]" lines open a section, "key = value"
// lines fill it, "#" starts a comment. The tree has one map per section and
// one text per key, so the message K of section S is found at "S.K". A key
// may hold "=" (the line splits at its last "="); lines before the first
// section are dropped.
class MessageReader {
public:
    // The tree of `text`, with one reference for the caller.
    static Value* read(const String& text);

private:
    static void _line(String& line, Value& root, Ref<Value>& section);
};

} // namespace tessel
