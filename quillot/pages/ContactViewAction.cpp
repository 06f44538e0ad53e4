#include "quillot/pages/ContactViewAction.h"

namespace {
const PageRegistration<ContactViewAction> supply(u"PurchaseContactView", Side::purchase());
const PageRegistration<ContactViewAction> client(u"SalesContactView", Side::sales());
} // namespace

void ContactViewAction::execute()
{
    runCommand<ContactViewAction>(this, {{u"", &ContactViewAction::_show}});
}

void ContactViewAction::_show()
{
    loadContact(false);
}
