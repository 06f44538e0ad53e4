#include "quillot/pages/OrderViewAction.h"

#include "quillot/frame/StateOfFunction.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/OrderTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<OrderViewAction> purchase(u"PurchaseOrderView", Side::purchase());
const PageRegistration<OrderViewAction> sales(u"SalesOrderView", Side::sales());
} // namespace

void OrderViewAction::execute()
{
    runCommand<OrderViewAction>(this, {
                                          {u"", &OrderViewAction::_show},
                                          {u"red", &OrderViewAction::_red},
                                          {u"remove", &OrderViewAction::_remove},
                                          {u"history", &OrderViewAction::_history},
                                      });
}

bool OrderViewAction::loadOrder()
{
    describeSide();
    Value* fields = form();
    Value* data = getValue();
    String ordid = fields->getAt(u"ordid");
    OrderTable orders(*this, side());
    if (!orders.loadHeader(ordid, fields)) {
        if (!orders.getError().empty())
            setError(orders.getError());
        return false;
    }
    data->insert(u"state", StateOfFunction::nameOf(fields->getInt(u"stats")));
    bool listed = orders.listLines(ordid, data->insert(u"list")) && orders.listClauses(ordid, data->insert(u"extra")) &&
                  orders.listMovements(ordid, data->insert(side().isPurchase() ? u"import" : u"export"));
    if (!listed) {
        setError(orders.getError());
        return false;
    }
    loadPartner();
    return true;
}

void OrderViewAction::_show()
{
    loadOrder();
}

void OrderViewAction::_red()
{
    OrderTable orders(*this, side());
    setError(orders.reverse(form()->getAt(u"ordid"), userState().userId()) ? String() : orders.getError());
}

void OrderViewAction::_remove()
{
    OrderTable orders(*this, side());
    setError(orders.remove(form()->getAt(u"ordid")) ? String() : orders.getError());
}

void OrderViewAction::_history()
{
    OrderTable orders(*this, side());
    setError(orders.close(form()->getAt(u"ordid")) ? String() : orders.getError());
}
