#pragma once

#include "quillot/frame/SideAction.h"

// The list page of one kind of document of a side: its lines, newest
// document first, 100 a page, filtered by FORM.filter. `Table` gives the
// rows with listPage(data).
template <class Table>
class DocumentListAction : public SideAction {
public:
    using SideAction::SideAction;

    void execute() override { runCommand<DocumentListAction>(this, {{u"", &DocumentListAction::_show}}); }

private:
    void _show()
    {
        describeSide();
        Table table(*this, side());
        if (table.listPage(getValue()) < 0)
            setError(table.getError());
    }
};
