#include "quillot/pages/OrderEditAction.h"

#include "quillot/frame/Rounding.h"
#include "quillot/frame/UserState.h"
#include "quillot/frame/TableClass.h"
#include "quillot/pages/OrderTable.h"
#include "tessel/core/Array.h"
#include "tessel/core/Date.h"

using tessel::Array;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<OrderEditAction> purchase(u"PurchaseOrderEdit", Side::purchase());
const PageRegistration<OrderEditAction> sales(u"SalesOrderEdit", Side::sales());

String today()
{
    return tessel::Date::getSystemDate().toString();
}
} // namespace

void OrderEditAction::execute()
{
    runCommand<OrderEditAction>(this, {{u"", &OrderEditAction::_show}, {u"save", &OrderEditAction::_save}});
}

void OrderEditAction::_show()
{
    describeSide();
    Value* fields = form();
    String ordid = fields->getAt(u"ordid");
    bool copy = fields->exists(u"copyadd");
    if (copy)
        ordid = TableClass::firstNumber(ordid);
    OrderTable orders(*this, side());
    if (ordid.empty() || !orders.loadHeader(ordid, fields)) {
        if (!orders.getError().empty()) {
            setError(orders.getError());
            return;
        }
        _newOrder();
        loadPartner();
        return;
    }
    Value* data = getValue();
    if (!orders.listLines(ordid, data->insert(u"list")) || !orders.listClauses(ordid, data->insert(u"extra"))) {
        setError(orders.getError());
        return;
    }
    if (copy) {
        fields->insert(u"ordid", u"");
        fields->insert(u"excdt", today());
        fields->insert(u"stats", u"");
    } else {
        fields->insert(u"_exist", ordid);
    }
    loadPartner();
}

void OrderEditAction::_newOrder()
{
    Value* fields = form();
    fields->insert(u"taxrt", 1);
    fields->insert(u"excdt", today());
    if (company())
        fields->insert(u"crncy", company()->getAt(u"money.0"));
    String items = fields->getAt(u"items");
    if (side().isPurchase() && !items.empty())
        _prefillItems(items);
    OrderTable orders(*this, side());
    if (!orders.listStandardClauses(getValue()->insert(u"extra")))
        setError(orders.getError());
}

// The reorder notice links here with "name,specification,quantity" items.
void OrderEditAction::_prefillItems(const String& items)
{
    Value* list = getValue()->insert(u"list");
    Array<String> entries;
    items.split(u";", entries);
    int number = 0;
    for (int i = 0; i < entries.size(); i++) {
        Array<String> fields;
        if (entries[i]->split(u",", fields) < 1 || fields[0]->empty())
            continue;
        String key;
        Value* row = list->insert(key.format(u"%03d", ++number));
        row->insert(u"prdnm", *fields[0]);
        row->insert(u"specs", fields.size() > 1 ? *fields[1] : String());
        double quantity = 0;
        if (fields.size() > 2 && Rounding::parse(*fields[2], quantity))
            row->insert(u"qunty", Rounding::text(quantity, Rounding::QUANTITY));
    }
}

void OrderEditAction::_save()
{
    Value* fields = post();
    if (!fields) {
        setError(u"ordid");
        return;
    }
    OrderTable orders(*this, side());
    UserState& user = userState();
    setError(orders.save(fields, user.userId(), user.taxFactor()) ? String() : orders.getError());
}
