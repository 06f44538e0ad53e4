#include "quillot/pages/StockExportPrintAction.h"

#include "quillot/frame/TableClass.h"

namespace {
const PageRegistration<StockExportPrintAction> note(u"StockExportPrint", Side::sales());
} // namespace

void StockExportPrintAction::execute()
{
    runCommand<StockExportPrintAction>(this, {{u"", &StockExportPrintAction::_show}});
}

void StockExportPrintAction::_show()
{
    if (loadMovement())
        TableClass(*this).companySettings(getValue()->insert(u"myself"));
}
