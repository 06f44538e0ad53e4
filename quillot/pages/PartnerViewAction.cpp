#include "quillot/pages/PartnerViewAction.h"

#include "quillot/frame/DocumentState.h"
#include "quillot/pages/PartnerTable.h"

using tessel::Value;

namespace {
const PageRegistration<PartnerViewAction> supply(u"PurchaseSupplyView", Side::purchase());
const PageRegistration<PartnerViewAction> client(u"SalesClientView", Side::sales());
} // namespace

void PartnerViewAction::execute()
{
    runCommand<PartnerViewAction>(this, {{u"", &PartnerViewAction::_show}});
}

void PartnerViewAction::_show()
{
    describeSide();
    Value* fields = form();
    Value* data = getValue();
    int id = fields->getInt(side().partnerKey);
    PartnerTable partners(*this, side());
    if (!partners.load(id, fields)) {
        if (!partners.getError().empty())
            setError(partners.getError());
        return;
    }
    data->insert(u"state", fields->getInt(u"stats") == STATE_NEW ? u"enable" : u"disable");
    bool listed = partners.listContacts(id, data->insert(u"list")) && partners.listOrders(id, data->insert(u"order")) &&
                  partners.listInvoices(id, data->insert(u"invoice")) &&
                  partners.listPayments(id, data->insert(u"payment"));
    if (!listed)
        setError(partners.getError());
}
