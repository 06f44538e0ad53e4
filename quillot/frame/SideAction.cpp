#include "quillot/frame/SideAction.h"

#include "tessel/web/HttpContext.h"

using tessel::String;
using tessel::Value;

namespace {

// The pages of a side by the family, without the first letter raised:
// "purchaseSupply", "salesOrder".
String pageOf(const Side& side, const char16_t* family)
{
    String prefix(side.name);
    return prefix + family;
}

} // namespace

void SideAction::describeSide()
{
    Value* node = getValue()->insert(u"side");
    node->insert(u"name", side_.name);
    node->insert(u"key", side_.partnerKey);
    node->insert(u"pname", side_.partnerName);
    node->insert(u"ptype", side_.partnerType);
    node->insert(u"page", pageOf(side_, side_.partnerWord));
    node->insert(u"contactPage", pageOf(side_, u"Contact"));
    node->insert(u"orderPage", pageOf(side_, u"Order"));
    node->insert(u"invoicePage", pageOf(side_, u"Invoice"));
    node->insert(u"paymentPage", pageOf(side_, u"Payment"));
    node->insert(u"movementPage", side_.isPurchase() ? u"stockImport" : u"stockExport");
    node->insert(u"movementKey", side_.movementKey);
    node->insert(u"movementType", side_.movementType);
    tessel::HttpContext* context = getContext();
    Value* words = context ? context->getMessage(String(side_.pagePrefix) + u"Side") : nullptr;
    if (words && words->isMap())
        node->mergeWith(words);
    offerMessages();
}
