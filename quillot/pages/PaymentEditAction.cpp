#include "quillot/pages/PaymentEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/PaymentTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<PaymentEditAction> purchase(u"PurchasePaymentEdit", Side::purchase());
const PageRegistration<PaymentEditAction> sales(u"SalesPaymentEdit", Side::sales());
} // namespace

void PaymentEditAction::execute()
{
    runCommand<PaymentEditAction>(this, {{u"", &PaymentEditAction::_show}, {u"save", &PaymentEditAction::_save}});
}

void PaymentEditAction::_show()
{
    PaymentTable payments(*this, side());
    showForm(payments, {});
}

// The orders behind the invoices FORM.invid, or the orders FORM.ordid, that
// still owe, and their partner.
void PaymentEditAction::prefillNew()
{
    Value* fields = form();
    if (company())
        fields->insert(u"payty", company()->getAt(u"paytype.0"));
    String invoices = fields->getAt(u"invid"), orders = fields->getAt(u"ordid");
    if (invoices.empty() && orders.empty())
        return;
    PaymentTable payments(*this, side());
    Value* list = getValue()->insert(u"list");
    int partner = 0;
    bool listed = !invoices.empty() ? payments.listInvoiceOrders(invoices, list, partner)
                                    : payments.listOrders(orders, list, partner);
    if (!listed) {
        setError(payments.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
}

bool PaymentEditAction::listOpen(int partner)
{
    PaymentTable payments(*this, side());
    if (payments.listOpenOrders(partner, getValue()->insert(u"open")) &&
        payments.listOpenInvoices(partner, getValue()->insert(u"invoices")))
        return true;
    setError(payments.getError());
    return false;
}

void PaymentEditAction::_save()
{
    Value* fields = post();
    if (!fields) {
        setError(u"pymid");
        return;
    }
    PaymentTable payments(*this, side());
    bool saved = payments.save(fields, userState().userId());
    answer(saved, payments.number(), payments.getError());
}
