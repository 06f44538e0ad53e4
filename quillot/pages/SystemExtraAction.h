#pragma once

#include "quillot/frame/SideAction.h"

// The extra clauses that new orders of a side copy, edited as a list:
// without a command the clauses ("list"), "save" keeps the rows edited in
// place (ClauseTable). One class for the purchase and the sales page.
class SystemExtraAction : public SideAction {
public:
    using SideAction::SideAction;

    void execute() override;

private:
    void _show();
    void _save();
};
