// The context's life: set-up, the dispatcher's forwarders, paths, the log.
#include "WebTestSupport.h"

#include <memory>

using namespace tessel;
using namespace tessel::testing;

namespace {

class HttpContextTest : public WebTest {};

// Function and dispatcher that note when they go.
class NotingFunction : public HttpFunction {
public:
    explicit NotingFunction(std::shared_ptr<std::string> notes) : notes_(std::move(notes)) {}
    ~NotingFunction() override { *notes_ += "function;"; }
    void evaluate(Ref<AnyValue>& out, Value*) override { out = new AnyValue(u"f"); }

private:
    std::shared_ptr<std::string> notes_;
};

class NotingDispatcher : public TestDispatcher {
public:
    explicit NotingDispatcher(std::shared_ptr<std::string> notes) : notes_(std::move(notes)) {}
    ~NotingDispatcher() override { *notes_ += "dispatcher;"; }
    bool createFunction(const String& name, HttpFunction** out) override
    {
        if (name != u"noting")
            return false;
        Ref<HttpFunction> function = new NotingFunction(notes_);
        *out = function.detach();
        return true;
    }

private:
    std::shared_ptr<std::string> notes_;
};

TEST_F(HttpContextTest, ForwardersReachTheDispatcherAndRefuseWithoutOne)
{
    int interval = 5;
    EXPECT_FALSE(context->onTimer(interval));
    EXPECT_EQ(interval, 5);
    EXPECT_FALSE(context->dispatch(u"Login", nullptr));
    HttpFunction* none = nullptr;
    EXPECT_FALSE(context->_createFunc(u"twice", &none));
    EXPECT_EQ(none, nullptr);

    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    EXPECT_EQ(dispatcher->refCount(), 2u);
    HttpAction* action = nullptr;
    dispatcher->dispatchResult = true;
    EXPECT_TRUE(context->dispatch(u"OrderList", &action));
    EXPECT_EQ(dispatcher->lastPage, u"OrderList");
    EXPECT_FALSE(context->dispatch(u"", &action));
    EXPECT_FALSE(context->dispatch(u"OrderList", nullptr));
    EXPECT_EQ(dispatcher->dispatches, 1);
    EXPECT_TRUE(context->onTimer(interval));
    EXPECT_EQ(interval, 60000);

    Ref<HttpFunction> function;
    EXPECT_TRUE(context->_createFunc(u"twice", function.out()));
    EXPECT_NE(function.get(), nullptr);
    EXPECT_FALSE(context->_createFunc(u"nothing", function.out()));
    EXPECT_FALSE(context->_createFunc(u"", function.out()));
    EXPECT_FALSE(context->_createFunc(u"twice", nullptr));
    EXPECT_EQ(dispatcher->asked, "twice;nothing;");

    // A library that cannot be loaded still drops the dispatcher it replaces.
    EXPECT_FALSE(context->loadBusiness(u"/nonexistent/libnothing.so", nullptr));
    EXPECT_EQ(dispatcher->refCount(), 1u);
    EXPECT_FALSE(context->onTimer(interval));
    EXPECT_FALSE(context->loadBusiness(u"", nullptr));
}

TEST_F(HttpContextTest, CachedTemplatesGoBeforeTheDispatcher)
{
    auto notes = std::make_shared<std::string>();
    {
        Ref<NotingDispatcher> dispatcher = new NotingDispatcher(notes);
        context = new HttpContext(dispatcher);
    }
    set("v", "x");
    EXPECT_EQ(renderText("{v|noting}"), "f");
    EXPECT_EQ(*notes, "");
    context.reset();
    EXPECT_EQ(*notes, "function;dispatcher;");
}

TEST_F(HttpContextTest, InitializeAgainWithTheSameFileSystem)
{
    // The context holds the only reference to the file system.
    MemoryFileSystem* only = new MemoryFileSystem();
    only->put("p.htm", "still here");
    only->put("config.xml", "<page id=\"p\"/>");
    context->initialize(only);
    EXPECT_EQ(only->refCount(), 1u);
    context->initialize(context->getFileSystem());
    ASSERT_EQ(context->getFileSystem(), only);
    EXPECT_EQ(only->refCount(), 1u);
    EXPECT_NE(context->getPageInfo(u"p", false), nullptr);
    EXPECT_EQ(render("p"), "still here");

    Ref<MemoryFileSystem> other = new MemoryFileSystem();
    context->initialize(other);
    EXPECT_EQ(other->refCount(), 2u);
    context.reset();
    EXPECT_EQ(other->refCount(), 1u);
}

TEST_F(HttpContextTest, PathsComeFromTheSettingsAndTheFileSystem)
{
    EXPECT_EQ(context->getRealPath(u"x"), u"") << "no file system yet";
    files->put("config.xml", "<property id=\"temp_dir\" value=\"pages\"/>");
    start();
    EXPECT_EQ(files->refCount(), 2u);
    EXPECT_EQ(context->getPagePath(u"Login"), u"pagesLogin.htm") << "joined without a separator";
    context->setFileext(u".tpl");
    EXPECT_EQ(context->getPagePath(u"Login"), u"pagesLogin.tpl");
    EXPECT_EQ(context->getRealPath(u"a/b.htm"), u"/memory/a/b.htm");
    EXPECT_EQ(context->getRealPath(u""), u"");
    context->initialize(new MemoryFileSystem());
    EXPECT_EQ(files->refCount(), 1u) << "the earlier file system is given back";
}

TEST_F(HttpContextTest, LogKeepsOnlyTheLatestMessageInTheContextCharset)
{
    start();
    context->log(u"nothing");
    EXPECT_FALSE(files->has("")) << "no log file, no log";
    files->put("config.xml", "<property id=\"log_file\" value=\"app.log\"/>");
    context->setCharset(936);
    start();
    context->log(u"first\n");
    EXPECT_EQ(files->get("app.log"), "first\n");
    context->log(u"中");
    EXPECT_EQ(files->get("app.log"), "\xD6\xD0");
    context->log(u"");
    EXPECT_EQ(files->get("app.log"), "\xD6\xD0");
}

} // namespace
