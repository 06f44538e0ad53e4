#include "quillot/pages/SystemExtraAction.h"

#include "quillot/pages/ClauseTable.h"

namespace {
const PageRegistration<SystemExtraAction> purchase(u"SystemPurchaseExtra", Side::purchase());
const PageRegistration<SystemExtraAction> sales(u"SystemSalesExtra", Side::sales());
} // namespace

using tessel::String;

void SystemExtraAction::execute()
{
    runCommand<SystemExtraAction>(this, {{u"", &SystemExtraAction::_show}, {u"save", &SystemExtraAction::_save}});
}

void SystemExtraAction::_show()
{
    describeSide();
    getValue()->insert(u"page", getPageId());
    ClauseTable clauses(*this, side());
    if (!clauses.list(getValue()->insert(u"list")))
        setError(clauses.getError());
}

void SystemExtraAction::_save()
{
    tessel::Value* fields = post();
    ClauseTable clauses(*this, side());
    setError(clauses.save(fields ? fields->find(u"list") : nullptr) ? String() : clauses.getError());
}
