#pragma once

#include "tessel/core/String.h"

// Texts written into the answers that page scripts read as script values:
// each text becomes one quoted literal ('...') that a script, or an HTML
// page holding the script, reads back as the very same text. Backslashes,
// both quotes, "<", ">" and "&", line ends, the line and paragraph
// separators and every other control character are written as escapes, so
// a name such as O'Brien</script> comes back whole and harmless.
class ScriptLiteral {
public:
    // `text` as a quoted literal.
    static tessel::String quote(const tessel::String& text);
    // Appends `text` as a quoted literal to `out`.
    static void append(tessel::String& out, const tessel::String& text);
};
