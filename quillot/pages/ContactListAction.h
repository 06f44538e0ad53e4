#pragma once

#include "quillot/frame/SideAction.h"

// The list of contact persons with their partners, 100 a page, filtered by
// FORM.filter; "save" stores the rows edited in place.
class ContactListAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
    void _save();
};
