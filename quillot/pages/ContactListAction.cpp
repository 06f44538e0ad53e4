#include "quillot/pages/ContactListAction.h"

#include "quillot/pages/ContactTable.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<ContactListAction> supply(u"PurchaseContactList", Side::purchase());
const PageRegistration<ContactListAction> client(u"SalesContactList", Side::sales());
} // namespace

void ContactListAction::execute()
{
    runCommand<ContactListAction>(this, {{u"", &ContactListAction::_show}, {u"save", &ContactListAction::_save}});
}

void ContactListAction::_show()
{
    describeSide();
    ContactTable contacts(*this, side());
    if (contacts.listPage(getValue()) < 0)
        setError(contacts.getError());
}

void ContactListAction::_save()
{
    Value* fields = post();
    ContactTable contacts(*this, side());
    setError(contacts.saveList(fields ? fields->find(u"list") : nullptr) ? String() : contacts.getError());
}
