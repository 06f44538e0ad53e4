#pragma once

#include <map>

#include "tessel/core/String.h"

namespace tessel {

// A small scanner for tags in a text: "<name attr=value ...>". It reads the
// configuration file and, through readAttributes, the attributes of template
// tags. Values are taken literally (no entity decoding); they may be double-
// or single-quoted or bare, and a bare value runs to the next blank, so a
// ">" does not end it. Attribute names are case-sensitive and a repeated
// name keeps its last value. A tag written with "/>" gets the attribute
// "_CLOSED" = "1".
class TagScanner {
public:
    using Attributes = std::map<String, String>;

    struct Tag {
        String name;                // as written; a closing tag's name starts with "/"
        bool hasAttributes = false; // blanks followed the name
        Attributes attributes;
    };

    explicit TagScanner(const String& text) : text_(text) {}

    // The next tag; false at the end of the text, or when the text ends
    // inside a tag.
    bool next(Tag& tag);

    // Reads attributes from `pos` up to and including the tag's ">". Returns
    // the position after the tag, or -1 when the text ends first (the
    // attributes read so far are kept).
    static int readAttributes(const String& text, int pos, Attributes& attributes);

    static bool isBlank(char16_t c) { return c >= 1 && c <= 32; }
    // The end of a tag name: a character at or below U+0020 or ">".
    static bool endsName(char16_t c) { return c <= 32 || c == u'>'; }

    static const char16_t* const CLOSED; // "_CLOSED"

private:
    const String& text_;
    int position_ = 0;
};

} // namespace tessel
