#include "quillot/pages/MovementEditAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/MovementTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<MovementEditAction> receipt(u"StockImportEdit", Side::purchase());
const PageRegistration<MovementEditAction> issue(u"StockExportEdit", Side::sales());
} // namespace

void MovementEditAction::execute()
{
    runCommand<MovementEditAction>(this, {{u"", &MovementEditAction::_show}, {u"save", &MovementEditAction::_save}});
}

void MovementEditAction::_show()
{
    MovementTable movements(*this, side());
    showForm(movements, {u"invcs"});
}

// The open lines of the orders FORM.ordid names, and their partner.
void MovementEditAction::prefillNew()
{
    Value* fields = form();
    fields->insert(side().movementType, 1);
    String orders = fields->getAt(u"ordid");
    if (orders.empty())
        return;
    MovementTable movements(*this, side());
    int partner = 0;
    if (!movements.listOrderLines(orders, getValue()->insert(u"list"), partner)) {
        setError(movements.getError());
        return;
    }
    if (partner >= 1)
        fields->insert(side().partnerKey, partner);
}

bool MovementEditAction::listOpen(int partner)
{
    MovementTable movements(*this, side());
    if (movements.listOpenLines(partner, getValue()->insert(u"open")))
        return true;
    setError(movements.getError());
    return false;
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
