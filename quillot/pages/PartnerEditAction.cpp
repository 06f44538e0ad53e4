#include "quillot/pages/PartnerEditAction.h"

#include "quillot/pages/PartnerTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<PartnerEditAction> supply(u"PurchaseSupplyEdit", Side::purchase());
const PageRegistration<PartnerEditAction> client(u"SalesClientEdit", Side::sales());
} // namespace

void PartnerEditAction::execute()
{
    runCommand<PartnerEditAction>(this, {{u"", &PartnerEditAction::_show}, {u"save", &PartnerEditAction::_save}});
}

void PartnerEditAction::_show()
{
    describeSide();
    Value* fields = form();
    int id = fields->getInt(side().partnerKey);
    if (id < 1)
        return;
    PartnerTable partners(*this, side());
    if (!partners.load(id, fields)) {
        if (!partners.getError().empty())
            setError(partners.getError());
        return;
    }
    if (fields->exists(u"copyadd")) {
        for (const char16_t* name : {side().partnerKey, side().partnerName, u"pid", u"pnm"})
            fields->insert(name, u"");
        return;
    }
    if (!partners.listContacts(id, getValue()->insert(u"list")))
        setError(partners.getError());
}

void PartnerEditAction::_save()
{
    Value* fields = post();
    PartnerTable partners(*this, side());
    if (!fields) {
        setError(side().partnerName);
        return;
    }
    if (fields->getInt(side().partnerKey) >= 1) {
        setError(partners.update(fields) ? String() : partners.getError());
        return;
    }
    String created;
    setError(partners.insert(fields) ? created.format(u"ok:%d", partners.lastId()) : partners.getError());
}
