#include "quillot/pages/InvoiceViewAction.h"

#include "quillot/frame/StateOfFunction.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/InvoiceTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<InvoiceViewAction> purchase(u"PurchaseInvoiceView", Side::purchase());
const PageRegistration<InvoiceViewAction> sales(u"SalesInvoiceView", Side::sales());
} // namespace

void InvoiceViewAction::execute()
{
    runCommand<InvoiceViewAction>(this, {
                                            {u"", &InvoiceViewAction::_show},
                                            {u"red", &InvoiceViewAction::_red},
                                            {u"remove", &InvoiceViewAction::_remove},
                                        });
}

void InvoiceViewAction::_show()
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(u"invid"));
    InvoiceTable invoices(*this, side());
    if (!invoices.loadHeader(number, fields)) {
        if (!invoices.getError().empty())
            setError(invoices.getError());
        return;
    }
    getValue()->insert(u"state", StateOfFunction::nameOf(fields->getInt(u"stats")));
    if (!invoices.listLines(number, getValue()->insert(u"list"))) {
        setError(invoices.getError());
        return;
    }
    loadPartner();
}

void InvoiceViewAction::_red()
{
    InvoiceTable invoices(*this, side());
    bool reversed = invoices.reverse(form()->getAt(u"invid"), userState().userId());
    answer(reversed, invoices.number(), invoices.getError());
}

void InvoiceViewAction::_remove()
{
    InvoiceTable invoices(*this, side());
    bool removed = invoices.remove(form()->getAt(u"invid"), userState().userId());
    answer(removed, String(), invoices.getError());
}
