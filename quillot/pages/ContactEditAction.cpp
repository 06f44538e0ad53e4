#include "quillot/pages/ContactEditAction.h"

#include "quillot/pages/ContactTable.h"
#include "quillot/pages/PartnerTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<ContactEditAction> supply(u"PurchaseContactEdit", Side::purchase());
const PageRegistration<ContactEditAction> client(u"SalesContactEdit", Side::sales());
} // namespace

void ContactEditAction::execute()
{
    runCommand<ContactEditAction>(this, {{u"", &ContactEditAction::_show}, {u"save", &ContactEditAction::_save}});
}

bool ContactEditAction::loadContact(bool copy)
{
    describeSide();
    Value* fields = form();
    ContactTable contacts(*this, side());
    int cntid = fields->getInt(u"cntid");
    if (cntid >= 1 && !contacts.load(cntid, fields) && !contacts.getError().empty()) {
        setError(contacts.getError());
        return false;
    }
    if (copy && fields->exists(u"copyadd")) {
        fields->insert(u"cntid", u"");
        fields->insert(u"cntct", u"");
    }
    int partnerId = fields->getInt(side().partnerKey);
    PartnerTable partners(*this, side());
    Value* partner = getValue()->insert(side().cacheWord);
    if (partnerId >= 1 && partners.load(partnerId, partner)) {
        fields->insert(side().partnerName, partner->getAt(side().partnerName));
        fields->insert(u"pnm", partner->getAt(side().partnerName));
    }
    return true;
}

void ContactEditAction::_show()
{
    loadContact(true);
}

void ContactEditAction::_save()
{
    Value* fields = post();
    ContactTable contacts(*this, side());
    if (!fields) {
        setError(u"cntct");
        return;
    }
    bool update = fields->getInt(u"cntid") >= 1;
    String answer;
    if (!contacts.save(fields))
        answer = contacts.getError();
    else if (!update)
        answer.format(u"ok:%d", contacts.lastId());
    setError(answer);
}
