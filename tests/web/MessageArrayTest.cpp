// "message.ini" and "array.xml".
#include "WebTestSupport.h"

#include "tessel/web/ArrayReader.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class MessageArrayTest : public WebTest {
protected:
    String message(const char16_t* path)
    {
        Value* node = context->getMessage(path);
        return node && node->getString() ? *node->getString() : String(u"<none>");
    }
    Value* arrays() { return context->getArrays(); }
};

TEST_F(MessageArrayTest, SectionsKeysAndComments)
{
    files->put("message.ini", "orphan=dropped\n"
                              "[LoginAction]\n"
                              "  user = \xE7\x94\xA8\xE6\x88\xB7\xE4\xB8\x8D\xE5\xAD\x98\xE5\x9C\xA8  \r\n"
                              "# comment = no\n"
                              "\tpassword=wrong\n"
                              "\n"
                              "[ Common ]\n"
                              "unknown=Unknown command\n"
                              "a=b=c\n"
                              "=no key\n"
                              "noequals\n"
                              "[broken\n"
                              "after=still Common\n");
    context->setCharset(65001);
    start();
    EXPECT_EQ(message(u"LoginAction.user"), u"用户不存在");
    EXPECT_EQ(message(u"LoginAction.password"), u"wrong");
    EXPECT_EQ(message(u"LoginAction.# comment"), u"<none>");
    EXPECT_EQ(message(u"Common.unknown"), u"Unknown command");
    EXPECT_EQ(message(u"Common.a=b"), u"c"); // split at the last "="
    EXPECT_EQ(message(u"Common.after"), u"still Common");
    EXPECT_EQ(message(u"orphan"), u"<none>");
    EXPECT_EQ(context->getMessage(u""), nullptr);
    EXPECT_EQ(context->getMessage(u"Common.missing"), nullptr);
}

TEST_F(MessageArrayTest, ByteOrderMarkBeforeTheFirstSection)
{
    files->put("message.ini", "\xEF\xBB\xBF[S]\nk=v\n");
    start();
    EXPECT_EQ(message(u"S.k"), u"v");
}

TEST_F(MessageArrayTest, MissingFilesGiveEmptyTrees)
{
    start();
    EXPECT_EQ(context->getMessage(u"Common.unknown"), nullptr);
    ASSERT_NE(arrays(), nullptr);
    EXPECT_EQ(arrays()->size(), 0);
}

TEST_F(MessageArrayTest, MissingFileReplacesAnEarlierTree)
{
    files->put("message.ini", "[S]\nk=v\n");
    start();
    EXPECT_EQ(message(u"S.k"), u"v");
    files->remove("message.ini");
    start();
    EXPECT_EQ(message(u"S.k"), u"<none>");
}

TEST_F(MessageArrayTest, InitializeWithoutFileSystemKeepsMessagesAndArrays)
{
    files->put("message.ini", "[S]\nk=v\n");
    files->put("array.xml", "<array name=\"a\"><item name=\"x\" value=\"1\"/></array>");
    files->put("config.xml", "<page id=\"p\"/><property id=\"k\" value=\"v\"/>");
    page("p", "x");
    start();
    EXPECT_EQ(render("p"), "x");
    context->initialize(nullptr);
    EXPECT_EQ(message(u"S.k"), u"v");
    EXPECT_EQ(arrays()->getAt(u"arraya.x"), u"1");
    EXPECT_EQ(context->getPageInfo(u"p", true), nullptr);
    EXPECT_EQ(context->getProperty(u"k"), u"");
    EXPECT_EQ(context->getFileSystem(), nullptr);
}

TEST_F(MessageArrayTest, ArrayPaths)
{
    EXPECT_EQ(ArrayReader::pathOf(u"state", u""), u"arraystate");
    EXPECT_EQ(ArrayReader::pathOf(u"state", u"yes"), u"arraystate");
    EXPECT_EQ(ArrayReader::pathOf(u"state", u"1"), u"arraystate");
    EXPECT_EQ(ArrayReader::pathOf(u"state", u"Order"), u"Order.state");
    EXPECT_EQ(ArrayReader::pathOf(u"state", u"Order.states"), u"Order.states");
    EXPECT_EQ(ArrayReader::pathOf(u"state", u".x"), u".x.state");
}

TEST_F(MessageArrayTest, ItemsWithValuesAndFromMessages)
{
    files->put("message.ini", "[arraystate]\n0=Draft\n1=Sent\n[Order.kinds]\np=Purchase\n");
    files->put("array.xml", "<?xml version=\"1.0\"?>\n<ARRAYS>\n"
                            "<Array Name=\"state\">\n"
                            "  <item name=\"0\"/>\n"
                            "  <ITEM NAME=\"1\" />\n"
                            "  <item name=\"2\" value=\"Closed &amp; done\"/>\n"
                            "  <item value=\"nameless\"/>\n"
                            "</Array>\n"
                            "<array name=\"kinds\" message=\"Order.kinds\"><item name=\"p\"/><item name=\"s\"/></array>\n"
                            "<array name=\"nomsg\" message=\"Nowhere\"><item name=\"x\"/></array>\n"
                            "<item name=\"outside\" value=\"1\"/>\n"
                            "<array message=\"x\"><item name=\"y\" value=\"1\"/></array>\n"
                            "</ARRAYS>");
    start();
    EXPECT_EQ(arrays()->getAt(u"arraystate.0"), u"Draft");
    EXPECT_EQ(arrays()->getAt(u"arraystate.1"), u"Sent");
    EXPECT_EQ(arrays()->getAt(u"arraystate.2"), u"Closed & done"); // the XML parser decodes
    EXPECT_EQ(arrays()->find(u"arraystate")->size(), 3);
    EXPECT_EQ(arrays()->getAt(u"Order.kinds.p"), u"Purchase");
    EXPECT_TRUE(arrays()->exists(u"Order.kinds.s"));
    EXPECT_EQ(arrays()->getAt(u"Order.kinds.s"), u"");
    EXPECT_EQ(arrays()->find(u"Nowhere.nomsg")->size(), 0);
    EXPECT_FALSE(arrays()->exists(u"outside"));
    EXPECT_EQ(arrays()->size(), 3); // arraystate, Order, Nowhere
}

TEST_F(MessageArrayTest, ArraysAreReadInTheContextCharset)
{
    files->put("array.xml", "<array name=\"a\"><item name=\"x\" value=\"\xD6\xD0\"/></array>");
    context->setCharset(936);
    start();
    EXPECT_EQ(arrays()->getAt(u"arraya.x"), u"中");
}

TEST_F(MessageArrayTest, ItemPathThatReplacesItsArrayIsHarmless)
{
    files->put("array.xml", "<array name=\"a\"><item name=\"PARENT.arraya\" value=\"1\"/><item name=\"z\" value=\"2\"/>"
                            "</array>");
    files->put("message.ini", "[s]\nPARENT.s=1\nk=2\n");
    start();
    EXPECT_EQ(arrays()->getAt(u"arraya"), u"1");
    EXPECT_EQ(message(u"s"), u"1");
}

} // namespace
