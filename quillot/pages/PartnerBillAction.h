#pragma once

#include "quillot/frame/SideAction.h"

// The statement of goods received from a supplier (or shipped to a client)
// on orders with tax and not yet invoiced, with the company's own data at
// the top: "today", "myself", the partner under "supply" ("client") and the
// lines under "invoice" with their sum in "invoices". No commands.
class PartnerBillAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
};
