#pragma once

#include "quillot/pages/OrderEditAction.h"

// An order with its lines, clauses and the goods received (shipped)
// against it; "state" is the word of its state. Commands on FORM.ordid:
// "red" reverses it with a red-ink copy, "remove" deletes an order in state
// 1 or a red-ink copy, "history" closes it; each answers "ok:" or its key.
class OrderViewAction : public OrderEditAction {
public:
    using OrderEditAction::OrderEditAction;
    void execute() override;

protected:
    // The order of FORM.ordid into the data tree; false when it is not
    // there or could not be read (the page has then answered).
    bool loadOrder();

private:
    void _show();
    void _red();
    void _remove();
    void _history();
};
