#include "quillot/pages/InvoiceEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/InvoiceTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<InvoiceEditAction> purchase(u"PurchaseInvoiceEdit", Side::purchase());
const PageRegistration<InvoiceEditAction> sales(u"SalesInvoiceEdit", Side::sales());
} // namespace

void InvoiceEditAction::execute()
{
    runCommand<InvoiceEditAction>(this, {{u"", &InvoiceEditAction::_show}, {u"save", &InvoiceEditAction::_save}});
}

void InvoiceEditAction::_show()
{
    InvoiceTable invoices(*this, side());
    showForm(invoices, {});
}

// The parts still to invoice of the stock lines FORM.impid (expid) names,
// or of the goods moved against the orders FORM.ordid, and their partner.
void InvoiceEditAction::prefillNew()
{
    Value* fields = form();
    fields->insert(u"invty", 0);
    String refs = fields->getAt(side().movementKey), orders = fields->getAt(u"ordid");
    if (refs.empty() && orders.empty())
        return;
    InvoiceTable invoices(*this, side());
    double factor = userState().taxFactor();
    Value* list = getValue()->insert(u"list");
    int partner = 0;
    bool listed = !refs.empty() ? invoices.listStockLines(refs, factor, list, partner)
                                : invoices.listOrderLines(orders, factor, list, partner);
    if (!listed) {
        setError(invoices.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
}

bool InvoiceEditAction::listOpen(int partner)
{
    InvoiceTable invoices(*this, side());
    if (invoices.listOpenLines(partner, userState().taxFactor(), getValue()->insert(u"open")))
        return true;
    setError(invoices.getError());
    return false;
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
