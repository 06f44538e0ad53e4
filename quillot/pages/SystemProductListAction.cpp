#include "quillot/pages/SystemProductListAction.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/ProductCatalogue.h"
#include "quillot/pages/ProductStock.h"

namespace {
const PageRegistration<SystemProductListAction> registration(u"SystemProductList");
} // namespace

using tessel::String;

void SystemProductListAction::execute()
{
    runCommand<SystemProductListAction>(this, {{u"", &SystemProductListAction::_show},
                                               {u"save", &SystemProductListAction::_save}});
}

void SystemProductListAction::_show()
{
    ProductStock stock(*this);
    if (stock.listPage(getValue(), false, PAGE_SIZE) < 0) {
        setError(stock.getError());
        return;
    }
    offerMessages();
}

void SystemProductListAction::_save()
{
    tessel::Value* fields = post();
    ProductCatalogue catalogue(*this);
    bool saved = catalogue.save(fields ? fields->find(u"list") : nullptr, userState().userId());
    setError(saved ? String() : catalogue.getError());
}
