#pragma once

#include "tessel/core/String.h"

class PageAction;

// The pages the application serves, in the order their names are compared,
// each with the function that makes its action. A page whose action does
// nothing of its own is served by EmptyAction.
class PageTable {
public:
    using Factory = PageAction* (*)();

    // A new action for a page name as written in the table (its first
    // letter upper case); an EmptyAction for a name the table lacks.
    static PageAction* create(const tessel::String& page);
    // Whether the table names the page.
    static bool contains(const tessel::String& page);
    static int size();
    static const char16_t* nameAt(int index);
};
