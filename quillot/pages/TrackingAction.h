#pragma once

#include "quillot/frame/SideAction.h"

// The order tracking list of a side (page "Purchase" or "Sales"): the
// order lines, 100 a page, filtered by FORM.filter. The switches "s1"
// (lines still open) and "s2" (lines done with) come with a POST and are
// kept in the visitor's company tree under "purchase" ("sales"); neither or
// both list every line. FORM.styles tells which, and the data tree gets a
// copy of the switches under the side's name and under "flags".
class TrackingAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
};
