#include "quillot/pages/PaymentViewAction.h"

#include "quillot/frame/StateOfFunction.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/PaymentTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<PaymentViewAction> purchase(u"PurchasePaymentView", Side::purchase());
const PageRegistration<PaymentViewAction> sales(u"SalesPaymentView", Side::sales());
} // namespace

void PaymentViewAction::execute()
{
    runCommand<PaymentViewAction>(this, {
                                            {u"", &PaymentViewAction::_show},
                                            {u"red", &PaymentViewAction::_red},
                                            {u"remove", &PaymentViewAction::_remove},
                                        });
}

void PaymentViewAction::_show()
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(u"pymid"));
    PaymentTable payments(*this, side());
    if (!payments.loadHeader(number, fields)) {
        if (!payments.getError().empty())
            setError(payments.getError());
        return;
    }
    getValue()->insert(u"state", StateOfFunction::nameOf(fields->getInt(u"stats")));
    if (!payments.listLines(number, getValue()->insert(u"list"))) {
        setError(payments.getError());
        return;
    }
    loadPartner();
}

void PaymentViewAction::_red()
{
    PaymentTable payments(*this, side());
    bool reversed = payments.reverse(form()->getAt(u"pymid"), userState().userId());
    answer(reversed, payments.number(), payments.getError());
}

void PaymentViewAction::_remove()
{
    PaymentTable payments(*this, side());
    bool removed = payments.remove(form()->getAt(u"pymid"), userState().userId());
    answer(removed, String(), payments.getError());
}
