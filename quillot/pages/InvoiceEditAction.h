#pragma once

#include "quillot/pages/DocumentAction.h"

// The invoice form. Without a command: a new invoice (the number it will
// probably get, today, the first currency and invoice type), one
// pre-filled with the parts still to invoice of stock lines (FORM.impid or
// FORM.expid: "number,line;number,line", a number alone for all its lines)
// or of the goods moved against orders (FORM.ordid), an existing one
// (FORM.invid) or with "copyadd" a new one from an old one. "open" holds
// the partner's stock lines still to invoice, to pick from. "save" answers
// "ok:" and the invoice's number, or the key of the first failure.
class InvoiceEditAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;
    void execute() override;

protected:
    void prefillNew() override;
    bool listOpen(int partner) override;

private:
    void _show();
    void _save();
};
