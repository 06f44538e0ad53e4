#include <gtest/gtest.h>

#include <string>

#include "WebTestSupport.h"
#include "support/ActionBinding.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpAction.h"
#include "tessel/web/HttpUpload.h"

using namespace tessel;

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

class TestAction : public HttpAction {
public:
    String getClassName() const override { return u"TestAction"; }
    bool tryUpload(HttpUpload& upload) override { return upload.getName() != u"refused"; }
};

// An action bound as the host binds it, but with no context until a test
// gives it the one over an application folder of the test's own.
class HttpActionTest : public tessel::testing::WebTest {
protected:
    void SetUp() override
    {
        WebTest::SetUp();
        files->put("message.ini", "[TestAction]\nordid = 请选择订单\n[Common]\nunknown = 未知的命令\n");
        files->put("config.xml", "<property id=\"company\" value=\"华东商贸\"/>");
        page("Answer", "<p>{answer}</p>");
        files->put("print/Order.xls", "<Cell>{answer}</Cell>");
        start();
        action = new TestAction();
        binding.bind(*action, nullptr);
        action->getValue()->insert(u"answer", u"42");
    }

    std::string written() const { return binding.written(); }

    tessel::testing::ActionBinding binding;
    Ref<TestAction> action;
};

} // namespace

TEST_F(HttpActionTest, WithoutAContextErrorsAreWrittenAsTheyAre)
{
    action->setError(u"");
    EXPECT_EQ("ok:", written()) << "an empty error answers ok";
    EXPECT_TRUE(action->isAnswered());
    for (const char16_t* part : {u"1024", u"|", u"no such order", u"|", u"ordid", u"|", u"Common.unknown"})
        action->setError(part);
    EXPECT_EQ("ok:1024|no such order|ordid|Common.unknown", written());
}

TEST_F(HttpActionTest, LoadFileAnswersOnlyThroughItsOwnWriter)
{
    action->setContext(context);
    Ref<MemoryStream> other = new MemoryStream();
    Ref<TextWriter> otherWriter = new TextWriter(other, 65001);
    EXPECT_TRUE(action->loadFile(u"print/Order.xls", *otherWriter));
    EXPECT_EQ("<Cell>42</Cell>", std::string(other->getBuffer(), static_cast<size_t>(other->getSize())));
    EXPECT_FALSE(action->isAnswered());
    EXPECT_FALSE(action->loadFile(u"Missing"));
    EXPECT_TRUE(action->loadFile(u"Answer"));
    EXPECT_EQ("<p>42</p>", written());
    EXPECT_TRUE(action->isAnswered());
}

TEST_F(HttpActionTest, UploadsAreAskedForAndFoundByExactFieldName)
{
    Ref<HttpUpload> file = new HttpUpload();
    file->setName(u"file");
    Ref<HttpUpload> refused = new HttpUpload();
    refused->setName(u"refused");
    action->addUpload(file);
    action->addUpload(refused);
    action->addUpload(nullptr);
    EXPECT_EQ(1, action->getUploads().size());
    EXPECT_EQ(file.get(), action->getUpload(u"file"));
    EXPECT_EQ(nullptr, action->getUpload(u"File"));
    EXPECT_EQ(nullptr, action->getUpload(u"refused"));
}

// Which of the types 0..9 take a text: the empty text and digits with a few
// marks pass every type, quotes and escapes none, the rest depend on the type.
TEST(HttpActionSafe, TheTypesTakingEachMark)
{
    struct Row {
        const char16_t* text;
        const char* types;
    } rows[] = {
        {u"", "0123456789"},
        {u"0123456789-._{|}", "0123456789"},
        {u"abcXYZ", "012345679"},
        {u" ", "0345789"},
        {u"#", "47"},
        {u"%&=?~", "4"},
        {u"()", "457"},
        {u"+", "023457"},
        {u",", "279"},
        {u"/", "034578"},
        {u":", "48"},
        {u";", "9"},
        {u"<>@", "6"},
        {u"[]", "034567"},
        {u"!", ""},
        {u"\"", ""},
        {u"$", ""},
        {u"'", ""},
        {u"*", ""},
        {u"\\", ""},
        {u"^", ""},
        {u"`", ""},
        {u"\t", ""},
        {u"\x7F", ""},
        {u"中", ""},
    };
    for (const Row& row : rows) {
        std::string types;
        for (int type = 0; type <= 9; type++)
            if (HttpAction::isSafe(row.text, HttpAction::SafeType(type)))
                types += char('0' + type);
        EXPECT_EQ(row.types, types) << String(row.text).toStdString();
    }
    EXPECT_FALSE(HttpAction::isSafe(u"abcXYZ", HttpAction::SAFE_TIME)) << "letters fail only the time type";
    EXPECT_TRUE(HttpAction::isSafe(u"2011-05-03 10:00", HttpAction::SAFE_TIME));
    EXPECT_FALSE(HttpAction::isSafe(u"/", HttpAction::SafeType(10))) << "no type beyond 9 takes a mark";
}

TEST(HttpActionQuery, SplitsPairsAtTheFirstEquals)
{
    Ref<Value> out = new Value();
    HttpAction::parseQuery(u"", out);
    EXPECT_EQ(0, out->size());
    HttpAction::parseQuery(u"a=1", nullptr);
    HttpAction::parseQuery(u"cmd=save&id=12&flag&expr=a=b&pct=%41%20", out);
    EXPECT_EQ(u"save", text(out->getAt(u"cmd")));
    EXPECT_EQ(u"12", text(out->getAt(u"id")));
    ASSERT_NE(nullptr, out->find(u"flag"));
    EXPECT_EQ(u"", text(out->getAt(u"flag")));
    EXPECT_EQ(u"a=b", text(out->getAt(u"expr")));
    EXPECT_EQ(u"%41%20", text(out->getAt(u"pct"))) << "no percent decoding";
}
