#include "quillot/pages/PartnerListAction.h"

#include "quillot/pages/PartnerTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<PartnerListAction> supply(u"PurchaseSupplyList", Side::purchase());
const PageRegistration<PartnerListAction> client(u"SalesClientList", Side::sales());
} // namespace

void PartnerListAction::execute()
{
    runCommand<PartnerListAction>(this, {{u"", &PartnerListAction::_show}, {u"save", &PartnerListAction::_save}});
}

void PartnerListAction::_show()
{
    describeSide();
    PartnerTable partners(*this, side());
    if (partners.listPage(getValue()) < 0)
        setError(partners.getError());
}

void PartnerListAction::_save()
{
    Value* fields = post();
    PartnerTable partners(*this, side());
    setError(partners.saveList(fields ? fields->find(u"list") : nullptr) ? String() : partners.getError());
}
