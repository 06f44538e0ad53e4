#pragma once

#include "quillot/frame/SideAction.h"

// The lines of every stock receipt (issue), newest document first, 100 a
// page, filtered by FORM.filter.
class MovementListAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
};
