// Loading a business library: a working one, one whose entry point gives
// no dispatcher, and one without the entry point.
#include "WebTestSupport.h"

#include <dlfcn.h>

#include <map>

#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpWindow.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

// The host's window, as far as a business library sees it: the settings.
class TestWindow : public HttpWindow {
public:
    void getTitle(String& out) override { out = title_; }
    void setTitle(const String& title) override { title_ = title; }
    void setSetting(const String& key, const String& value) override { settings[key.toStdString()] = value.toStdString(); }
    void getSetting(const String& key, String& out) override
    {
        auto it = settings.find(key.toStdString());
        if (it != settings.end())
            out = u16(it->second);
    }
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

private:
    String title_;
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

    TestWindow window;
};

TEST_F(PluginTest, LoadsTheDispatcherAndAsksItForRightsAndTime)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window)) << WEB_TestPlugin;
    EXPECT_TRUE(isLoaded(WEB_TestPlugin));
    EXPECT_EQ(window.settings["dispatcher"], "loaded");
    EXPECT_EQ(context->getProperty(u"plugin"), u"test"); // the entry point got the context
    Ref<HttpRequest> request = new HttpRequest();
    EXPECT_TRUE(context->checkRight(*request));
    int interval = 0;
    EXPECT_TRUE(context->onTimer(interval));
    EXPECT_EQ(interval, 60000);
    Ref<HttpFunction> function;
    EXPECT_TRUE(context->_createFunc(u"stateof", function.out()));
    EXPECT_FALSE(context->_createFunc(u"other", function.out()));
}

TEST_F(PluginTest, PageIsDispatchedPreparedExecutedAndRendered)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    page("Home", "<h1>{greeting}</h1><p>{SESSION.company}: {state|stateof}</p>");
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
}

TEST_F(PluginTest, ScriptPageAnswersItself)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    files->put("message.ini", "[SaveAction]\nname=Name missing\n");
    start();
    std::string answer = written([&](TextWriter& out) {
        Ref<HttpAction> action;
        if (!context->dispatch(u"Save", action.out()))
            return false;
        action->setContext(context);
        action->setWriter(&out);
        context->initAction(*action);
        action->execute();
        return action->isAnswered();
    });
    EXPECT_EQ(answer, "Name missing");
}

TEST_F(PluginTest, UnknownPageIsTheApplicationsToRefuse)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    Ref<HttpAction> action;
    EXPECT_FALSE(context->dispatch(u"Nothing", action.out()));
    EXPECT_EQ(window.settings["dispatch"], "Nothing");
    EXPECT_FALSE(action);
}

TEST_F(PluginTest, TemplatesUseTheApplicationsFunctions)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    set("state", "1");
    EXPECT_EQ(renderText("{state|StateOf}"), "sent");
}

TEST_F(PluginTest, CachedFunctionsGoBeforeTheLibraryIsReplaced)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    page("p", "{state|stateof}");
    set("state", "2");
    start();
    EXPECT_EQ(render("p"), "done");
    // Reloading closes the library that holds the cached function's code.
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    EXPECT_EQ(render("p"), "done");
    context.reset();
    EXPECT_EQ(window.settings["dispatcher"], "released");
    EXPECT_FALSE(isLoaded(WEB_TestPlugin));
}

TEST_F(PluginTest, DestructionReleasesTheDispatcherThenClosesTheLibrary)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    set("state", "0");
    EXPECT_EQ(renderText("{state|stateof}"), "draft");
    context.reset();
    EXPECT_EQ(window.settings["dispatcher"], "released");
    EXPECT_FALSE(isLoaded(WEB_TestPlugin));
}

TEST_F(PluginTest, EntryPointWithoutDispatcherFailsAndUnloads)
{
    ASSERT_TRUE(context->loadBusiness(u16(WEB_TestPlugin), &window));
    EXPECT_FALSE(context->loadBusiness(u16(WEB_NullPlugin), &window));
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
    EXPECT_FALSE(context->loadBusiness(u16(WEB_NoExportPlugin), &window));
    EXPECT_FALSE(isLoaded(WEB_NoExportPlugin));
    Ref<HttpAction> action;
    EXPECT_FALSE(context->dispatch(u"Home", action.out()));
}

} // namespace
