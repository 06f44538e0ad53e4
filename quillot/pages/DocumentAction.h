#pragma once

#include "quillot/frame/SideAction.h"

// Base of the pages of one document of a side (orders, stock movements,
// invoices, payments): the document's partner for the page, and the
// answers of the commands that save, reverse or remove it.
class DocumentAction : public SideAction {
public:
    using SideAction::SideAction;

protected:
    // The partner of FORM's key (or, without one, of FORM's partner name)
    // under "supply" ("client"), and its key and name in FORM.
    void loadPartner();
    // Answers a command that saved or made document `number`: "ok:" and
    // the number, or the table's key when it failed.
    void answer(bool done, const tessel::String& number, const tessel::String& error);
    // The lines of `list` as lines of a new document: no line number and
    // nothing counted against them yet.
    static void asNewLines(tessel::Value* list, std::initializer_list<const char16_t*> counters);
};
