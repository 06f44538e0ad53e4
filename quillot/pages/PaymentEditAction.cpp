#include "quillot/pages/PaymentEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/PaymentTable.h"
#include "tessel/core/Date.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<PaymentEditAction> purchase(u"PurchasePaymentEdit", Side::purchase());
const PageRegistration<PaymentEditAction> sales(u"SalesPaymentEdit", Side::sales());

String today()
{
    return tessel::Date::getSystemDate().toString();
}
} // namespace

void PaymentEditAction::execute()
{
    runCommand<PaymentEditAction>(this, {{u"", &PaymentEditAction::_show}, {u"save", &PaymentEditAction::_save}});
}

void PaymentEditAction::_show()
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(u"pymid"));
    bool loaded = !number.empty() && _loadPayment(number, fields->exists(u"copyadd"));
    if (!loaded && !isAnswered())
        _newPayment();
    if (isAnswered())
        return;
    loadPartner();
    int partner = fields->getInt(side().partnerKey);
    PaymentTable payments(*this, side());
    if (partner >= 1 && (!payments.listOpenOrders(partner, getValue()->insert(u"open")) ||
                         !payments.listOpenInvoices(partner, getValue()->insert(u"invoices"))))
        setError(payments.getError());
}

bool PaymentEditAction::_loadPayment(const String& number, bool copy)
{
    Value* fields = form();
    PaymentTable payments(*this, side());
    if (!payments.loadHeader(number, fields)) {
        if (!payments.getError().empty())
            setError(payments.getError());
        return false;
    }
    if (!payments.listLines(number, getValue()->insert(u"list"))) {
        setError(payments.getError());
        return false;
    }
    if (copy) {
        fields->insert(u"pymid", payments.nextNumber(side().paymentKind));
        fields->insert(u"excdt", today());
        fields->insert(u"stats", u"");
        asNewLines(getValue()->find(u"list"), {});
    } else {
        fields->insert(u"_exist", number);
    }
    return true;
}

void PaymentEditAction::_newPayment()
{
    Value* fields = form();
    PaymentTable payments(*this, side());
    fields->insert(u"pymid", payments.nextNumber(side().paymentKind));
    fields->insert(u"excdt", today());
    if (company()) {
        fields->insert(u"crncy", company()->getAt(u"money.0"));
        fields->insert(u"payty", company()->getAt(u"paytype.0"));
    }
    String invoices = fields->getAt(u"invid"), orders = fields->getAt(u"ordid");
    Value* list = getValue()->insert(u"list");
    int partner = 0;
    bool listed = !invoices.empty() ? payments.listInvoiceOrders(invoices, list, partner)
                  : !orders.empty() ? payments.listOrders(orders, list, partner)
                                    : true;
    if (!listed) {
        setError(payments.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
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
