// Loading a business library: a working one, one whose entry point gives
// no dispatcher, and one without the entry point.
#include "WebTestSupport.h"

#include <dlfcn.h>

#include <map>

#include "support/ActionBinding.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpWindow.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// The host's window, as far as a business library sees it: the settings.
class TestWindow : public HttpWindow {
public:
    void setSetting(const String& key, const String& value) override
    {
        settings[key.toStdString()] = value.toStdString();
    }
    void getSetting(const String& key, String& out) override { out = u16(settings[key.toStdString()]); }
    void getTitle(String&) override {}
    void setTitle(const String&) override {}
    void show(int) override {}
    void hide() override {}
    void navigate(const String&) override {}
    void refresh() override {}
    void setStatus(const String&) override {}
    void postEvent(int, int) override {}
    void sendEvent(int, int) override {}
    void* getHandle() override { return nullptr; }
    void setTimer(int, int) override {}
    void killTimer(int) override {}
    bool openFile(const String&, String&) override { return false; }
    bool saveFile(const String&, String&) override { return false; }
    void close() override {}

    std::map<std::string, std::string> settings;
};

bool isLoaded(const char* path)
{
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        ::dlclose(handle);
    return handle != nullptr;
}

class PluginTest : public WebTest {
protected:
    // The library's dispatcher keeps the window: the context goes first.
    void TearDown() override { context.reset(); }

    bool load(const char* path) { return context->loadBusiness(u16(path), &window); }

    TestWindow window;
};

TEST_F(PluginTest, LoadsTheDispatcherAndAsksItForRightsTimeAndFunctions)
{
    ASSERT_TRUE(load(WEB_TestPlugin)) << WEB_TestPlugin;
    EXPECT_TRUE(isLoaded(WEB_TestPlugin));
    EXPECT_EQ(window.settings["dispatcher"], "loaded");
    EXPECT_EQ(context->getProperty(u"plugin"), u"test"); // the entry point got the context
    Ref<HttpRequest> request = new HttpRequest();
    EXPECT_TRUE(context->checkRight(*request));
    int interval = 0;
    EXPECT_TRUE(context->onTimer(interval));
    EXPECT_EQ(interval, 60000);
    set("state", "1");
    EXPECT_EQ(renderText("{state|StateOf}"), "sent");
    Ref<HttpFunction> function;
    EXPECT_FALSE(context->_createFunc(u"other", function.out()));

    Ref<HttpAction> action;
    EXPECT_FALSE(context->dispatch(u"Nothing", action.out())) << "an unknown page is the application's to refuse";
    EXPECT_EQ(window.settings["dispatch"], "Nothing");
    EXPECT_FALSE(action);
}

TEST_F(PluginTest, PagesAreDispatchedPreparedExecutedAndRenderedOrAnswered)
{
    ASSERT_TRUE(load(WEB_TestPlugin));
    page("Home", "<h1>{greeting}</h1><p>{SESSION.company}: {state|stateof}</p>");
    files->put("message.ini", "[SaveAction]\nname=Name missing\n");
    start();

    Ref<HttpAction> action;
    ASSERT_TRUE(context->dispatch(u"Home", action.out()));
    ASSERT_TRUE(action);
    EXPECT_EQ(action->refCount(), 1u);
    EXPECT_EQ(action->getClassName(), u"HomeAction");
    action->setContext(context);
    action->getValue()->insert(u"FORM.name", u"Ada");
    context->initAction(*action);
    EXPECT_EQ(window.settings["initAction"], "Home");
    action->execute();
    EXPECT_EQ(render("Home", action->getValue()), "<h1>Hello Ada</h1><p>Acme: sent</p>");

    Ref<HttpAction> script;
    ASSERT_TRUE(context->dispatch(u"Save", script.out()));
    tessel::testing::ActionBinding binding;
    binding.bind(*script, context, u"Save");
    context->initAction(*script);
    script->execute();
    EXPECT_TRUE(script->isAnswered());
    EXPECT_EQ(binding.written(), "Name missing");
}

TEST_F(PluginTest, CachedFunctionsGoBeforeTheLibraryIsReplacedOrClosed)
{
    ASSERT_TRUE(load(WEB_TestPlugin));
    page("p", "{state|stateof}");
    set("state", "2");
    start();
    EXPECT_EQ(render("p"), "done");
    // Reloading closes the library that holds the cached function's code.
    ASSERT_TRUE(load(WEB_TestPlugin));
    EXPECT_EQ(render("p"), "done");
    context.reset();
    EXPECT_EQ(window.settings["dispatcher"], "released");
    EXPECT_FALSE(isLoaded(WEB_TestPlugin));
}

TEST_F(PluginTest, EntryPointWithoutDispatcherFailsAndUnloads)
{
    ASSERT_TRUE(load(WEB_TestPlugin));
    EXPECT_FALSE(load(WEB_NullPlugin));
    EXPECT_EQ(window.settings["null"], "called");
    EXPECT_EQ(window.settings["dispatcher"], "released"); // the previous one is gone in any case
    EXPECT_FALSE(isLoaded(WEB_NullPlugin));
    EXPECT_FALSE(isLoaded(WEB_TestPlugin));
    int interval = 0;
    EXPECT_FALSE(context->onTimer(interval));
    Ref<HttpRequest> request = new HttpRequest();
    EXPECT_FALSE(context->checkRight(*request));
    Ref<HttpAction> action;
    EXPECT_FALSE(context->dispatch(u"Home", action.out()));
    EXPECT_EQ(renderText("{x|stateof}"), "unknown function stateof");
}

TEST_F(PluginTest, LibraryWithoutEntryPointFailsAndUnloads)
{
    EXPECT_FALSE(load(WEB_NoExportPlugin));
    EXPECT_FALSE(isLoaded(WEB_NoExportPlugin));
    Ref<HttpAction> action;
    EXPECT_FALSE(context->dispatch(u"Home", action.out()));
}

} // namespace
