#pragma once

#include "quillot/pages/DocumentAction.h"

// The view page of a posted document kept by `Table` (invoices, payments):
// the document with its lines and partner, "state" the word of its state.
// Commands on FORM's number: "red" reverses it with a red-ink copy and
// answers "ok:" and the copy's number, "remove" deletes a document in state
// 1 or a red-ink copy; each answers "ok:" or its key.
template <class Table>
class DocumentViewAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;

    void execute() override
    {
        runCommand<DocumentViewAction>(this, {
                                                 {u"", &DocumentViewAction::_show},
                                                 {u"red", &DocumentViewAction::_red},
                                                 {u"remove", &DocumentViewAction::_remove},
                                             });
    }

private:
    void _show()
    {
        Table table(*this, side());
        showDocument(table);
    }
    void _red()
    {
        Table table(*this, side());
        reverseDocument(table);
    }
    void _remove()
    {
        Table table(*this, side());
        removeDocument(table);
    }
};
