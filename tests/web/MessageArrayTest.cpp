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
    files->put("message.ini", "\xEF\xBB\xBF"
                              "orphan=dropped\n"
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
                              "after=still Common\n"
                              "[s]\nPARENT.s=1\n");
    context->setCharset(65001);
    start();
    const char16_t* rows[][2] = {{u"LoginAction.user", u"用户不存在"},
                                 {u"LoginAction.password", u"wrong"},
                                 {u"LoginAction.# comment", u"<none>"},
                                 {u"Common.unknown", u"Unknown command"},
                                 {u"Common.a=b", u"c"}, // split at the last "="
                                 {u"Common.after", u"still Common"},
                                 {u"orphan", u"<none>"},
                                 {u"s", u"1"}}; // a key that replaces its section is harmless
    for (auto& row : rows)
        EXPECT_EQ(message(row[0]), row[1]) << String(row[0]).toStdString();
    EXPECT_EQ(context->getMessage(u""), nullptr);
    files->remove("message.ini");
    start();
    EXPECT_EQ(message(u"Common.unknown"), u"<none>") << "a missing file replaces the earlier tree";
    EXPECT_EQ(arrays()->size(), 0);
}

TEST_F(MessageArrayTest, ItemsWithValuesAndFromMessages)
{
    files->put("message.ini", "[arraystate]\n0=Draft\n1=Sent\n[Order.kinds]\np=Purchase\n");
    files->put("array.xml",
               "<?xml version=\"1.0\"?>\n<ARRAYS>\n"
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
               "<array name=\"a\"><item name=\"PARENT.arraya\" value=\"1\"/><item name=\"z\" value=\"2\"/></array>"
               "<array name=\"c\"><item name=\"z\" value=\"\xD6\xD0\"/></array></ARRAYS>");
    context->setCharset(936);
    start();
    EXPECT_EQ(arrays()->getAt(u"arraystate.0"), u"Draft");
    EXPECT_EQ(arrays()->getAt(u"arraystate.1"), u"Sent");
    EXPECT_EQ(arrays()->getAt(u"arraystate.2"), u"Closed & done"); // the XML parser decodes
    EXPECT_EQ(arrays()->find(u"arraystate")->size(), 3);
    EXPECT_EQ(arrays()->getAt(u"Order.kinds.p"), u"Purchase");
    EXPECT_TRUE(arrays()->exists(u"Order.kinds.s"));
    EXPECT_EQ(arrays()->find(u"Nowhere.nomsg")->size(), 0);
    EXPECT_FALSE(arrays()->exists(u"outside"));
    EXPECT_EQ(arrays()->getAt(u"arrayc.z"), u"中") << "read in the context charset";
    EXPECT_EQ(arrays()->getAt(u"arraya"), u"1") << "an item path that replaces its array is harmless";
    EXPECT_EQ(arrays()->size(), 5); // arraystate, Order, Nowhere, arraya, arrayc

    const char16_t* paths[][3] = {{u"state", u"", u"arraystate"},
                                  {u"state", u"yes", u"arraystate"},
                                  {u"state", u"1", u"arraystate"},
                                  {u"state", u"Order", u"Order.state"},
                                  {u"state", u"Order.states", u"Order.states"},
                                  {u"state", u".x", u".x.state"}};
    for (auto& row : paths)
        EXPECT_EQ(ArrayReader::pathOf(row[0], row[1]), row[2]) << String(row[1]).toStdString();
}

} // namespace
