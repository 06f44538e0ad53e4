#pragma once

#include "quillot/frame/SideAction.h"

// A supplier (or client) with its contacts, orders, invoices and payments;
// "state" says "enable" or "disable". No commands.
class PartnerViewAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
};
