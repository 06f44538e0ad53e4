#include "quillot/pages/MovementEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/MovementTable.h"
#include "tessel/core/Date.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<MovementEditAction> receipt(u"StockImportEdit", Side::purchase());
const PageRegistration<MovementEditAction> issue(u"StockExportEdit", Side::sales());

String today()
{
    return tessel::Date::getSystemDate().toString();
}
} // namespace

void MovementEditAction::execute()
{
    runCommand<MovementEditAction>(this, {{u"", &MovementEditAction::_show}, {u"save", &MovementEditAction::_save}});
}

void MovementEditAction::_show()
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(side().movementKey));
    bool loaded = !number.empty() && _loadDocument(number, fields->exists(u"copyadd"));
    if (!loaded && !isAnswered())
        _newDocument();
    if (isAnswered())
        return;
    loadPartner();
    int partner = fields->getInt(side().partnerKey);
    MovementTable movements(*this, side());
    if (partner >= 1 && !movements.listOpenLines(partner, getValue()->insert(u"open")))
        setError(movements.getError());
}

bool MovementEditAction::_loadDocument(const String& number, bool copy)
{
    Value* fields = form();
    MovementTable movements(*this, side());
    if (!movements.loadHeader(number, fields)) {
        if (!movements.getError().empty())
            setError(movements.getError());
        return false;
    }
    if (!movements.listLines(number, getValue()->insert(u"list"))) {
        setError(movements.getError());
        return false;
    }
    if (copy) {
        fields->insert(side().movementKey, movements.nextNumber(side().movementKind));
        fields->insert(u"excdt", today());
        fields->insert(u"stats", u"");
        asNewLines(getValue()->find(u"list"), {u"invcs"});
    } else {
        fields->insert(u"_exist", number);
    }
    return true;
}

void MovementEditAction::_newDocument()
{
    Value* fields = form();
    MovementTable movements(*this, side());
    fields->insert(side().movementKey, movements.nextNumber(side().movementKind));
    fields->insert(u"excdt", today());
    fields->insert(side().movementType, 1);
    if (company())
        fields->insert(u"crncy", company()->getAt(u"money.0"));
    String orders = fields->getAt(u"ordid");
    if (orders.empty())
        return;
    int partner = 0;
    if (!movements.listOrderLines(orders, getValue()->insert(u"list"), partner)) {
        setError(movements.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
}

void MovementEditAction::_save()
{
    Value* fields = post();
    if (!fields) {
        setError(side().movementKey);
        return;
    }
    MovementTable movements(*this, side());
    UserState& user = userState();
    bool saved = movements.save(fields, user.userId(), user.taxFactor());
    answer(saved, movements.number(), movements.getError());
}
