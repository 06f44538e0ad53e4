#pragma once

#include <initializer_list>

#include "quillot/frame/SideAction.h"

class DocumentTable;

// Base of the pages of one document of a side (orders, stock movements,
// invoices, payments): the document's partner for the page, the edit form
// and the view of a posted document, and the answers of the commands that
// save, reverse or remove it.
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

    // The edit form of a document of `table`: FORM's number (the first of
    // several) loads it, or with "copyadd" a new copy of it, dated today,
    // whose lines have nothing counted against them (`counters`). Without
    // a document: a new one with the number it would probably get, today
    // and the first currency, then prefillNew(). Then the partner, and
    // listOpen() of the partner when there is one.
    void showForm(DocumentTable& table, std::initializer_list<const char16_t*> counters);
    // Fills a new document further (from FORM's pre-fill references).
    virtual void prefillNew() {}
    // Lists what the partner has open to pick from; answers and gives false
    // when it cannot.
    virtual bool listOpen(int partner);
    // The view of a document of `table`: header, "state", lines and the
    // partner. False when it is not there or the page has answered.
    bool showDocument(DocumentTable& table);
    // The view's commands on FORM's number: "ok:" and the red-ink copy's
    // number, "ok:", or the key of the failure.
    void reverseDocument(DocumentTable& table);
    void removeDocument(DocumentTable& table);

private:
    bool _loadForEdit(DocumentTable& table, const tessel::String& number, bool copy,
                      std::initializer_list<const char16_t*> counters);
    static void _asNewLines(tessel::Value* list, std::initializer_list<const char16_t*> counters);
};
