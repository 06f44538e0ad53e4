#include "quillot/pages/MovementListAction.h"

#include "quillot/pages/MovementTable.h"

namespace {
const PageRegistration<MovementListAction> receipt(u"StockImportList", Side::purchase());
const PageRegistration<MovementListAction> issue(u"StockExportList", Side::sales());
} // namespace

void MovementListAction::execute()
{
    runCommand<MovementListAction>(this, {{u"", &MovementListAction::_show}});
}

void MovementListAction::_show()
{
    describeSide();
    MovementTable movements(*this, side());
    if (movements.listPage(getValue()) < 0)
        setError(movements.getError());
}
