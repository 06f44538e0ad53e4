#pragma once

#include <vector>

#include "tessel/core/String.h"

namespace tessel {

// A dotted path of the data tree split into its segments once, for the
// lookups that follow the same path again and again (a template's
// variables, at every row). Value::find follows it exactly as it follows
// the path's text: "TOP", "PARENT", "SELF" and the root sections in the
// segments before the last, intermediate maps created on the way.
class ValuePath {
public:
    explicit ValuePath(const String& path);

    const String& getText() const { return text_; }
    // Whether the path was split from this text.
    bool isPathOf(const String& text) const;

private:
    friend class Value;

    enum Kind { NAME, SECTION, TOP, PARENT, SELF, EMPTY };
    struct Segment {
        Kind kind;
        int start;
        int length;
    };

    String text_;
    std::vector<Segment> segments_; // the ones before the key
    int keyStart_ = 0;              // the last segment, the child's key
};

} // namespace tessel
