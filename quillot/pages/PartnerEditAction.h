#pragma once

#include "quillot/frame/SideAction.h"

// A supplier's (or client's) edit form with its contact persons as rows.
// Without a command: the partner of FORM's key into FORM and its contacts
// into "list"; with "copyadd" a new partner pre-filled from that one.
// "save": an insert answers "ok:" and the new key, an update "ok:".
class PartnerEditAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
    void _save();
};
