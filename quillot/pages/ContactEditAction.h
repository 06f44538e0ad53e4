#pragma once

#include "quillot/frame/SideAction.h"

// A contact person's edit form. Without a command: the contact of
// FORM.cntid into FORM (with "copyadd" a new contact pre-filled from it),
// and with FORM's partner key its partner under "supply" ("client") and its
// name in FORM. "save": the partner by its name (made when missing), then
// an insert ("ok:" and the new cntid) or an update ("ok:").
class ContactEditAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

protected:
    // The contact and its partner into the data tree; false when the
    // page has answered a failure.
    bool loadContact(bool copy);

private:
    void _show();
    void _save();
};
