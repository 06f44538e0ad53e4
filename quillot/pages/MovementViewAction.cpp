#include "quillot/pages/MovementViewAction.h"

#include "quillot/pages/MovementTable.h"

using tessel::String;

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
    MovementTable movements(*this, side());
    if (!showDocument(movements))
        return false;
    String number = TableClass::firstNumber(form()->getAt(side().movementKey));
    if (movements.listInvoices(number, getValue()->insert(u"invoice")))
        return true;
    setError(movements.getError());
    return false;
}

void MovementViewAction::_show()
{
    loadMovement();
}

void MovementViewAction::_red()
{
    MovementTable movements(*this, side());
    reverseDocument(movements);
}

void MovementViewAction::_remove()
{
    MovementTable movements(*this, side());
    removeDocument(movements);
}

void MovementViewAction::_date()
{
    MovementTable movements(*this, side());
    setError(movements.changeDates(form()) ? String() : movements.getError());
}
