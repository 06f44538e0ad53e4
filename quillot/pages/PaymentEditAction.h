#pragma once

#include "quillot/pages/DocumentAction.h"

// The payment form. Without a command: a new payment (the number it will
// probably get, today, the first currency and way of payment), one
// pre-filled with the orders behind invoices (FORM.invid "I1;I2") or with
// orders (FORM.ordid) that still owe, an existing one (FORM.pymid) or with
// "copyadd" a new one from an old one. "open" holds the partner's orders
// that still owe and "invoices" its invoices with such orders, to pick
// from. "save" answers "ok:" and the payment's number, or the key of the
// first failure.
class PaymentEditAction : public DocumentAction {
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
