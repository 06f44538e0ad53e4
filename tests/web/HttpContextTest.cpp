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
