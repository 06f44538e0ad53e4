#pragma once

#include "quillot/pages/ContactEditAction.h"

// A contact person with its partner, read only. No commands.
class ContactViewAction : public ContactEditAction {
public:
    using ContactEditAction::ContactEditAction;
    void execute() override;

private:
    void _show();
};
