#include "quillot/pages/PartnerBillAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/PartnerTable.h"
#include "tessel/core/Date.h"

using tessel::Value;

namespace {
const PageRegistration<PartnerBillAction> supply(u"PurchaseSupplyBill", Side::purchase());
const PageRegistration<PartnerBillAction> client(u"SalesClientBill", Side::sales());
} // namespace

void PartnerBillAction::execute()
{
    runCommand<PartnerBillAction>(this, {{u"", &PartnerBillAction::_show}});
}

void PartnerBillAction::_show()
{
    describeSide();
    Value* data = getValue();
    data->insert(u"today", tessel::Date::getSystemDate().toString());
    PartnerTable partners(*this, side());
    partners.companySettings(data->insert(u"myself"));
    int id = form()->getInt(side().partnerKey);
    if (id < 1)
        return;
    Value* partner = data->insert(side().cacheWord);
    bool listed = partners.load(id, partner) &&
                  partners.listUninvoiced(id, userState().taxFactor(), data->insert(u"invoice"));
    if (!listed && !partners.getError().empty())
        setError(partners.getError());
}
