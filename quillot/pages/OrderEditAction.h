#pragma once

#include "quillot/pages/DocumentAction.h"

// The order form. Without a command: a new order (today, the first
// currency, with tax, the company's standard clauses; on the purchase side
// FORM.items "name,specification,quantity;..." pre-fills the lines), an existing one
// (FORM.ordid; FORM._exist tells the save it is an update), or with
// "copyadd" a new order pre-filled from an old one. "save" answers "ok:" or
// the key of the first failure.
class OrderEditAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;
    void execute() override;

private:
    void _show();
    void _save();
    void _newOrder();
    void _prefillItems(const tessel::String& items);
};
