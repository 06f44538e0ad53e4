// A tiny business library for the web tests: its dispatcher makes the
// actions of two pages, prepares them as an application does (the signed-in
// company under "SESSION"), offers the template function "stateof" (whose
// code lives here, so the context must drop its parsed templates before it
// closes this library), answers the rights check and the timer, and tells
// the host's window what happens to it.
#include "tessel/core/AnyValue.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpFunction.h"
#include "tessel/web/HttpWindow.h"

using namespace tessel;

namespace {

// "stateof": the state code P1 as a word.
class StateOfFunction : public HttpFunction {
public:
    void evaluate(Ref<AnyValue>& out, Value* data) override
    {
        static const char16_t* const NAMES[] = {u"draft", u"sent", u"done"};
        int state = params_[0]->getInt(data);
        out = new AnyValue(state >= 0 && state < 3 ? NAMES[state] : u"unknown");
    }
};

// "Home": a greeting for the name in the form, and an order state.
class HomeAction : public HttpAction {
public:
    String getClassName() const override { return String(u"HomeAction"); }
    void execute() override
    {
        Value* data = getValue();
        data->insert(u"greeting", String(u"Hello ") + data->getAt(u"FORM.name"));
        data->insert(u"state", 1);
    }
};

// "Save": a script request, answered directly.
class SaveAction : public HttpAction {
public:
    String getClassName() const override { return String(u"SaveAction"); }
    void execute() override { setError(getValue()->getAt(u"FORM.name").empty() ? String(u"name") : String()); }
};

class PluginDispatcher : public HttpDispatcher {
public:
    explicit PluginDispatcher(HttpWindow* window) : window_(window) { note(u"dispatcher", u"loaded"); }
    ~PluginDispatcher() override { note(u"dispatcher", u"released"); }

    bool dispatch(const String& page, HttpAction** out) override
    {
        note(u"dispatch", page);
        Ref<HttpAction> action;
        if (page == u"Home")
            action = new HomeAction();
        else if (page == u"Save")
            action = new SaveAction();
        else
            return false;
        action->setPageId(page);
        *out = action.detach();
        return true;
    }
    void initAction(HttpAction& action) override
    {
        note(u"initAction", action.getPageId());
        action.getValue()->insert(u"SESSION.company", u"Acme");
    }
    bool checkRight(HttpRequest&) override { return true; }
    bool createFunction(const String& name, HttpFunction** out) override
    {
        if (name != u"stateof")
            return false;
        Ref<HttpFunction> function = new StateOfFunction();
        *out = function.detach();
        return true;
    }
    bool onTimer(int& interval) override
    {
        interval = 60000;
        return true;
    }

private:
    void note(const char16_t* key, const String& value)
    {
        if (window_)
            window_->setSetting(key, value);
    }

    HttpWindow* window_;
};

} // namespace

extern "C" HttpDispatcher* LoadDispatcher(HttpContext* context, HttpWindow* window)
{
    if (context)
        context->setProperty(u"plugin", u"test");
    HttpDispatcher* dispatcher = new PluginDispatcher(window);
    dispatcher->AddRef();
    return dispatcher;
}
