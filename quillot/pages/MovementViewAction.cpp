#include "quillot/pages/MovementViewAction.h"

#include "quillot/frame/StateOfFunction.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/MovementTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<MovementViewAction> receipt(u"StockImportView", Side::purchase());
const PageRegistration<MovementViewAction> issue(u"StockExportView", Side::sales());
} // namespace

void MovementViewAction::execute()
{
    runCommand<MovementViewAction>(this, {
                                             {u"", &MovementViewAction::_show},
                                             {u"red", &MovementViewAction::_red},
                                             {u"remove", &MovementViewAction::_remove},
                                             {u"date", &MovementViewAction::_date},
                                         });
}

bool MovementViewAction::loadMovement()
{
    describeSide();
    Value* fields = form();
    Value* data = getValue();
    String number = TableClass::firstNumber(fields->getAt(side().movementKey));
    MovementTable movements(*this, side());
    if (!movements.loadHeader(number, fields)) {
        if (!movements.getError().empty())
            setError(movements.getError());
        return false;
    }
    data->insert(u"state", StateOfFunction::nameOf(fields->getInt(u"stats")));
    if (!movements.listLines(number, data->insert(u"list")) ||
        !movements.listInvoices(number, data->insert(u"invoice"))) {
        setError(movements.getError());
        return false;
    }
    loadPartner();
    return true;
}

void MovementViewAction::_show()
{
    loadMovement();
}

void MovementViewAction::_red()
{
    MovementTable movements(*this, side());
    bool reversed = movements.reverse(form()->getAt(side().movementKey), userState().userId());
    answer(reversed, movements.number(), movements.getError());
}

void MovementViewAction::_remove()
{
    MovementTable movements(*this, side());
    setError(movements.remove(form()->getAt(side().movementKey), userState().userId()) ? String()
                                                                                       : movements.getError());
}

void MovementViewAction::_date()
{
    MovementTable movements(*this, side());
    setError(movements.changeDates(form()) ? String() : movements.getError());
}
