#include "quillot/pages/InvoiceEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/InvoiceTable.h"
#include "tessel/core/Date.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<InvoiceEditAction> purchase(u"PurchaseInvoiceEdit", Side::purchase());
const PageRegistration<InvoiceEditAction> sales(u"SalesInvoiceEdit", Side::sales());

String today()
{
    return tessel::Date::getSystemDate().toString();
}
} // namespace

void InvoiceEditAction::execute()
{
    runCommand<InvoiceEditAction>(this, {{u"", &InvoiceEditAction::_show}, {u"save", &InvoiceEditAction::_save}});
}

void InvoiceEditAction::_show()
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(u"invid"));
    bool loaded = !number.empty() && _loadInvoice(number, fields->exists(u"copyadd"));
    if (!loaded && !isAnswered())
        _newInvoice();
    if (isAnswered())
        return;
    loadPartner();
    int partner = fields->getInt(side().partnerKey);
    InvoiceTable invoices(*this, side());
    if (partner >= 1 && !invoices.listOpenLines(partner, userState().taxFactor(), getValue()->insert(u"open")))
        setError(invoices.getError());
}

bool InvoiceEditAction::_loadInvoice(const String& number, bool copy)
{
    Value* fields = form();
    InvoiceTable invoices(*this, side());
    if (!invoices.loadHeader(number, fields)) {
        if (!invoices.getError().empty())
            setError(invoices.getError());
        return false;
    }
    if (!invoices.listLines(number, getValue()->insert(u"list"))) {
        setError(invoices.getError());
        return false;
    }
    if (copy) {
        fields->insert(u"invid", invoices.nextNumber(side().invoiceKind));
        fields->insert(u"excdt", today());
        fields->insert(u"stats", u"");
        asNewLines(getValue()->find(u"list"), {});
    } else {
        fields->insert(u"_exist", number);
    }
    return true;
}

void InvoiceEditAction::_newInvoice()
{
    Value* fields = form();
    InvoiceTable invoices(*this, side());
    fields->insert(u"invid", invoices.nextNumber(side().invoiceKind));
    fields->insert(u"excdt", today());
    fields->insert(u"invty", 0);
    if (company())
        fields->insert(u"crncy", company()->getAt(u"money.0"));
    String refs = fields->getAt(side().movementKey), orders = fields->getAt(u"ordid");
    double factor = userState().taxFactor();
    Value* list = getValue()->insert(u"list");
    int partner = 0;
    bool listed = !refs.empty()     ? invoices.listStockLines(refs, factor, list, partner)
                  : !orders.empty() ? invoices.listOrderLines(orders, factor, list, partner)
                                    : true;
    if (!listed) {
        setError(invoices.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
}

void InvoiceEditAction::_save()
{
    Value* fields = post();
    if (!fields) {
        setError(u"invid");
        return;
    }
    InvoiceTable invoices(*this, side());
    UserState& user = userState();
    bool saved = invoices.save(fields, user.userId(), user.taxFactor());
    answer(saved, invoices.number(), invoices.getError());
}
