#include "quillot/pages/TrackingAction.h"

#include "quillot/frame/ListQuery.h"
#include "quillot/pages/OrderTable.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<TrackingAction> purchase(u"Purchase", Side::purchase());
const PageRegistration<TrackingAction> sales(u"Sales", Side::sales());
} // namespace

void TrackingAction::execute()
{
    runCommand<TrackingAction>(this, {{u"", &TrackingAction::_show}});
}

void TrackingAction::_show()
{
    describeSide();
    Ref<Value> local = new Value();
    Value* flags = company() ? company()->insert(side().name) : local.get();
    if (Value* fields = post()) {
        flags->insert(u"s1", fields->exists(u"s1") ? u"1" : u"0");
        flags->insert(u"s2", fields->exists(u"s2") ? u"1" : u"0");
    }
    int styles = (flags->getAt(u"s1") == u"1" ? 1 : 0) + (flags->getAt(u"s2") == u"1" ? 2 : 0);
    form()->insert(u"styles", styles);
    form()->insert(u"size", ListQuery::PAGE_SIZE);
    getValue()->insert(side().name)->mergeWith(flags);
    getValue()->insert(u"flags")->mergeWith(flags);
    OrderTable orders(*this, side());
    if (orders.listTracking(getValue(), styles) < 0)
        setError(orders.getError());
}
