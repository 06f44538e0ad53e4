#include <gtest/gtest.h>

#include <string>

#include "WebTestSupport.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpUpload.h"

using namespace tessel;

namespace {

std::u16string text(const String& s) { return std::u16string(s.c_str(), static_cast<size_t>(s.size())); }

class TestAction : public HttpAction {
public:
    String getClassName() const override { return u"TestAction"; }
    bool tryUpload(HttpUpload& upload) override { return upload.getName() != u"refused"; }
};

// An action bound to a writer over memory, as the host binds it.
class HttpActionTest : public ::testing::Test {
protected:
    HttpActionTest() : stream_(new MemoryStream()), writer_(new TextWriter(stream_, 65001)), action_(new TestAction())
    {
        action_->setWriter(writer_);
    }

    std::string written() const
    {
        return std::string(stream_->getBuffer() ? stream_->getBuffer() : "", static_cast<size_t>(stream_->getSize()));
    }

    Ref<MemoryStream> stream_;
    Ref<TextWriter> writer_;
    Ref<TestAction> action_;
};

} // namespace


TEST_F(HttpActionTest, AnEmptyErrorAnswersOk)
{
    action_->setError(u"");
    EXPECT_EQ("ok:", written());
    EXPECT_TRUE(action_->isAnswered());
}

TEST_F(HttpActionTest, TextsWithAColonOrASpaceAreWrittenAsTheyAre)
{
    action_->setError(u"ok:1024");
    action_->setError(u"|");
    action_->setError(u"no such order");
    EXPECT_EQ("ok:1024|no such order", written());
}

TEST_F(HttpActionTest, AKeyWithoutAMessageIsWrittenItself)
{
    action_->setError(u"ordid");
    action_->setError(u"|");
    action_->setError(u"Common.unknown");
    EXPECT_EQ("ordid|Common.unknown", written());
}


TEST_F(HttpActionTest, TheViewGoesUnderTheDotKeyAndTheLastWins)
{
    action_->setView(u"OrderList");
    action_->setView(u"OrderEdit", u"ignored");
    EXPECT_EQ(u"OrderEdit", text(action_->getValue()->getAt(u".")));
    EXPECT_EQ(1, action_->getValue()->size());
}


TEST_F(HttpActionTest, PostIsTheExactMethodName)
{
    HttpRequest request;
    action_->setRequest(&request);
    EXPECT_FALSE(action_->isPost());
    request.setMethod(u"post");
    EXPECT_FALSE(action_->isPost());
    request.setMethod(u"POST");
    EXPECT_TRUE(action_->isPost());
    EXPECT_EQ(&request, &action_->getRequest());
}

TEST_F(HttpActionTest, AStreamIsKeptAsTheAnswer)
{
    Ref<MemoryStream> first = new MemoryStream();
    Ref<MemoryStream> second = new MemoryStream();
    action_->sendStream(first);
    action_->sendStream(second);
    EXPECT_EQ(second.get(), action_->getStream());
    EXPECT_EQ(1u, first->refCount()) << "the earlier stream is released";
    EXPECT_TRUE(action_->isAnswered());
}


TEST_F(HttpActionTest, UploadsAreAskedForAndFoundByExactFieldName)
{
    Ref<HttpUpload> file = new HttpUpload();
    file->setName(u"file");
    Ref<HttpUpload> refused = new HttpUpload();
    refused->setName(u"refused");
    action_->addUpload(file);
    action_->addUpload(refused);
    action_->addUpload(nullptr);
    EXPECT_EQ(1, action_->getUploads().size());
    EXPECT_EQ(file.get(), action_->getUpload(u"file"));
    EXPECT_EQ(nullptr, action_->getUpload(u"File"));
    EXPECT_EQ(nullptr, action_->getUpload(u"refused"));
}


namespace {

// An action bound to a context over an application folder of the test's own.
class HttpActionInContext : public tessel::testing::WebTest {
protected:
    void SetUp() override
    {
        WebTest::SetUp();
        files->put("message.ini", "[TestAction]\nordid = 请选择订单\n[Common]\nunknown = 未知的命令\n");
        files->put("config.xml", "<property id=\"company\" value=\"华东商贸\"/>");
        page("Answer", "<p>{answer}</p>");
        files->put("print/Order.xls", "<Cell>{answer}</Cell>");
        start();
        stream = new MemoryStream();
        writer = new TextWriter(stream, 65001);
        action = new TestAction();
        action->setContext(context);
        action->setWriter(writer);
        action->getValue()->insert(u"answer", u"42");
    }

    std::string written() const
    {
        return std::string(stream->getBuffer() ? stream->getBuffer() : "", static_cast<size_t>(stream->getSize()));
    }

    Ref<MemoryStream> stream;
    Ref<TextWriter> writer;
    Ref<TestAction> action;
};

} // namespace

TEST_F(HttpActionInContext, KeysWithoutADotAreTheClasssOwn)
{
    EXPECT_EQ("请选择订单", action->getMessage(u"ordid").toStdString());
    EXPECT_EQ("未知的命令", action->getMessage(u"Common.unknown").toStdString()) << "a dotted key is used as it is";
    EXPECT_EQ("", action->getMessage(u"unknown").toStdString());
    EXPECT_EQ("", action->getMessage(u"TestAction").toStdString()) << "a section is no message";
    EXPECT_EQ("华东商贸", action->getProperty(u"company").toStdString());
    EXPECT_EQ(files.get(), action->getFileSystem());
}

TEST_F(HttpActionInContext, ErrorsAnswerWithTheMessageText)
{
    action->setError(u"ordid");
    action->setError(u"|");
    action->setError(u"Common.unknown");
    action->setError(u"|");
    action->setError(u"insert");
    EXPECT_EQ("请选择订单|未知的命令|insert", written());
}

TEST_F(HttpActionInContext, LoadFileRendersThePageIntoTheAnswer)
{
    EXPECT_TRUE(action->loadFile(u"Answer"));
    EXPECT_EQ("<p>42</p>", written());
    EXPECT_TRUE(action->isAnswered());
    EXPECT_FALSE(action->loadFile(u"Missing"));
}

TEST_F(HttpActionInContext, LoadFileIntoAnotherWriterIsNoAnswer)
{
    Ref<MemoryStream> other = new MemoryStream();
    Ref<TextWriter> otherWriter = new TextWriter(other, 65001);
    EXPECT_TRUE(action->loadFile(u"print/Order.xls", *otherWriter));
    EXPECT_EQ("<Cell>42</Cell>", std::string(other->getBuffer(), static_cast<size_t>(other->getSize())));
    EXPECT_FALSE(action->isAnswered());
    EXPECT_TRUE(action->loadFile(u"print/Order.xls", *writer));
    EXPECT_TRUE(action->isAnswered());
}

TEST(HttpActionSafe, EmptyTextIsSafeForEveryType)
{
    for (int type = 0; type <= 9; type++)
        EXPECT_TRUE(HttpAction::isSafe(u"", HttpAction::SafeType(type)));
}

TEST(HttpActionSafe, DigitsAndAFewMarksAreAlwaysSafe)
{
    for (int type = 0; type <= 9; type++)
        EXPECT_TRUE(HttpAction::isSafe(u"0123456789-._{|}", HttpAction::SafeType(type))) << type;
}

TEST(HttpActionSafe, QuotesAndEscapesAreNeverSafe)
{
    const char16_t* refused[] = {u"!", u"\"", u"$", u"'", u"*", u"\\", u"^", u"`", u"\t", u"\x7F", u"中"};
    for (int type = 0; type <= 9; type++)
        for (const char16_t* c : refused)
            EXPECT_FALSE(HttpAction::isSafe(c, HttpAction::SafeType(type))) << type;
}

TEST(HttpActionSafe, LettersFailOnlyTheTimeType)
{
    for (int type = 0; type <= 9; type++)
        EXPECT_EQ(type != HttpAction::SAFE_TIME, HttpAction::isSafe(u"abcXYZ", HttpAction::SafeType(type))) << type;
    EXPECT_TRUE(HttpAction::isSafe(u"2011-05-03 10:00", HttpAction::SAFE_TIME));
}

TEST(HttpActionSafe, TheOtherMarksDependOnTheType)
{
    auto typesTaking = [](const char16_t* c) {
        std::string types;
        for (int type = 0; type <= 9; type++)
            if (HttpAction::isSafe(c, HttpAction::SafeType(type)))
                types += char('0' + type);
        return types;
    };
    EXPECT_EQ("0345789", typesTaking(u" "));
    EXPECT_EQ("47", typesTaking(u"#"));
    EXPECT_EQ("4", typesTaking(u"%&=?~"));
    EXPECT_EQ("457", typesTaking(u"()"));
    EXPECT_EQ("023457", typesTaking(u"+"));
    EXPECT_EQ("279", typesTaking(u","));
    EXPECT_EQ("034578", typesTaking(u"/")) << "a slash fails types 1, 2, 6 and 9";
    EXPECT_EQ("48", typesTaking(u":"));
    EXPECT_EQ("9", typesTaking(u";"));
    EXPECT_EQ("6", typesTaking(u"<>@"));
    EXPECT_EQ("034567", typesTaking(u"[]"));
    EXPECT_FALSE(HttpAction::isSafe(u"/", HttpAction::SafeType(10))) << "no type beyond 9 takes a mark";
}

TEST(HttpActionQuery, SplitsPairsAtTheFirstEquals)
{
    Ref<Value> out = new Value();
    HttpAction::parseQuery(u"cmd=save&id=12&flag&expr=a=b&pct=%41%20", out);
    EXPECT_EQ(u"save", text(out->getAt(u"cmd")));
    EXPECT_EQ(u"12", text(out->getAt(u"id")));
    ASSERT_NE(nullptr, out->find(u"flag"));
    EXPECT_EQ(u"", text(out->getAt(u"flag")));
    EXPECT_EQ(u"a=b", text(out->getAt(u"expr")));
    EXPECT_EQ(u"%41%20", text(out->getAt(u"pct"))) << "no percent decoding";
}

TEST(HttpActionQuery, NothingForAnEmptyQueryOrNoTree)
{
    Ref<Value> out = new Value();
    HttpAction::parseQuery(u"", out);
    EXPECT_EQ(0, out->size());
    HttpAction::parseQuery(u"a=1", nullptr);
}
