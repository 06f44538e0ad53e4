#include "quillot/frame/AppDispatcher.h"

#include "quillot/frame/Application.h"
#include "quillot/frame/PageAction.h"
#include "quillot/frame/PageRegistry.h"
#include "quillot/frame/StateOfFunction.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

using tessel::HttpAction;
using tessel::HttpFunction;
using tessel::HttpRequest;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const COMPANY = u"company";

// The signed-in company's session tree of a request, or null.
Value* companyOf(HttpRequest& request)
{
    return dynamic_cast<Value*>(request.getSession().getAttribute(COMPANY));
}

// A page's remembered form values replace those of the request.
void restoreForm(Value* remembered, Value* form)
{
    String key, text;
    for (int i = 0; remembered->getPairOf(i, key, text); i++)
        form->insert(key, text);
}

} // namespace

bool AppDispatcher::dispatch(const String& page, HttpAction** out)
{
    if (page.empty() || !out)
        return false;
    String name(page);
    name.toUcfirst();
    Ref<PageAction> action = PageRegistry::create(name);
    *out = action.detach();
    return true;
}

void AppDispatcher::initAction(HttpAction& action)
{
    auto* page = dynamic_cast<PageAction*>(&action);
    Value* company = companyOf(action.getRequest());
    if (page)
        page->setCompany(company);
    if (!company)
        return;
    Value* data = action.getValue();
    data->insert(u"SESSION")->mergeWith(company);
    Value* remembered = company->find(action.getPageId());
    Value* form = data->find(u"FORM");
    if (remembered && remembered->isMap() && form && form->isMap())
        restoreForm(remembered, form);
}

bool AppDispatcher::checkRight(HttpRequest& request)
{
    return request.getSession().hasAttribute(COMPANY);
}

bool AppDispatcher::createFunction(const String& name, HttpFunction** out)
{
    if (name != u"stateof" || !out)
        return false;
    Ref<HttpFunction> function = new StateOfFunction();
    *out = function.detach();
    return true;
}

bool AppDispatcher::onTimer(int& interval)
{
    interval = TIMER_INTERVAL;
    return true;
}

// The plug-in's one export: the web context calls it once after loading the
// library and owns the reference it returns.
extern "C" tessel::HttpDispatcher* LoadDispatcher(tessel::HttpContext*, tessel::HttpWindow* window)
{
    Application::setWindow(window);
    auto* dispatcher = new AppDispatcher();
    dispatcher->AddRef();
    return dispatcher;
}
