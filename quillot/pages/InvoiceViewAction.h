#pragma once

#include "quillot/pages/DocumentAction.h"

// An invoice with its lines, the orders behind them and what they still
// owe; "state" is the word of its state. Commands on FORM.invid: "red"
// reverses it with a red-ink copy and answers "ok:" and the copy's number,
// "remove" deletes an invoice in state 1 or a red-ink copy; each answers
// "ok:" or its key.
class InvoiceViewAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;
    void execute() override;

private:
    void _show();
    void _red();
    void _remove();
};
