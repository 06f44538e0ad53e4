// "config.xml": properties, logins, templets and the page table.
#include "WebTestSupport.h"

#include "tessel/web/TagScanner.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class ConfigTest : public WebTest {
protected:
    void config(const std::string& text)
    {
        files->put("config.xml", text);
        start();
    }
    PageInfo* pageOf(const char16_t* id) { return context->getPageInfo(id, true); }
};

TEST_F(ConfigTest, PropertiesAndTheThreeSpecialOnes)
{
    config("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<config>\n"
           "<property id=\"title\" value=\"Quillot\"/>\n"
           "<property id=\"log_file\" value=\"logs/app.log\"/>\n"
           "<property id=\"temp_dir\" value=\"templates/\"/>\n"
           "<property id=\"debug\" value=\"yes\"/>\n"
           "<property id=\"empty\"/>\n"
           "</config>");
    EXPECT_EQ(context->getProperty(u"title"), u"Quillot");
    EXPECT_EQ(context->getProperty(u"empty"), u"");
    EXPECT_EQ(context->getProperty(u"log_file"), u""); // not a plain property
    EXPECT_EQ(context->getLogFilename(), u"logs/app.log");
    EXPECT_EQ(context->getTemplateDir(), u"templates/");
    EXPECT_TRUE(context->isDebug());
    EXPECT_EQ(context->getProperty(u""), u"");
    context->setProperty(u"title", u"Other");
    EXPECT_EQ(context->getProperty(u"title"), u"Other");
}

TEST_F(ConfigTest, SpecialPropertiesKeepTheirValuesWhenNotNamed)
{
    config("<property id=\"temp_dir\" value=\"t/\"/><property id=\"debug\" value=\"1\"/>");
    config("<property id=\"x\" value=\"1\"/>");
    EXPECT_EQ(context->getTemplateDir(), u"t/");
    EXPECT_TRUE(context->isDebug());
    EXPECT_EQ(context->getProperty(u"x"), u"1");
    files->remove("config.xml");
    start();
    EXPECT_EQ(context->getTemplateDir(), u"t/");
    EXPECT_EQ(context->getProperty(u"x"), u"");
}

TEST_F(ConfigTest, ElementsNeedBlanksAfterTheirNameAndAnId)
{
    config("<page id=\"a\"><page>ignored</page><PAGE id=\"b\"><page\tid='c'/><page id=\"\"/><page title=\"x\"/>");
    EXPECT_NE(pageOf(u"a"), nullptr);
    EXPECT_NE(pageOf(u"b"), nullptr);
    EXPECT_NE(pageOf(u"c"), nullptr);
    EXPECT_EQ(pageOf(u""), nullptr);
}

TEST_F(ConfigTest, AttributeValuesAreLiteral)
{
    config("<page id=\"a\" title=\"A &amp; B\" group=solo charset='gb2312' pagetype=text/html />");
    PageInfo* page = pageOf(u"a");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->title, u"A &amp; B");
    EXPECT_EQ(page->group, u"solo");
    EXPECT_EQ(page->charset, u"gb2312");
    EXPECT_EQ(page->pagetype, u"text/html");
}

TEST_F(ConfigTest, BareValueRunsThroughTheClosingMark)
{
    // The ">" belongs to the title, so the tag goes on into the next line.
    config("<page id=a title=x>\n<page id=\"b\">");
    EXPECT_EQ(pageOf(u"a"), nullptr);
    ASSERT_NE(pageOf(u"b"), nullptr);
    EXPECT_EQ(pageOf(u"b")->title, u"x>");
}

TEST_F(ConfigTest, RepeatedAttributeKeepsTheLast)
{
    config("<page id=\"a\" title=\"one\" title=\"two\"/>");
    EXPECT_EQ(pageOf(u"a")->title, u"two");
}

TEST_F(ConfigTest, VisibleHiddenAndTemplets)
{
    config("<templet id=\"main\"/><page id=\"shown\"/><page id=\"secret\" hidden=\"\"/><page id=\"off\" hidden=\"OFF\"/>"
           "<page id=\"zero\" hidden=\"0\"/><page id=\"no\" hidden=\"False\"/><page id=\"yes\" hidden=\"yes\"/>");
    EXPECT_EQ(context->getPageInfo(u"shown", false)->getKind(), PageInfo::PAGE_VISIBLE);
    EXPECT_EQ(context->getPageInfo(u"secret", false), nullptr);
    ASSERT_NE(context->getPageInfo(u"secret", true), nullptr);
    EXPECT_EQ(context->getPageInfo(u"secret", true)->getKind(), PageInfo::PAGE_HIDDEN);
    EXPECT_NE(context->getPageInfo(u"off", false), nullptr);
    EXPECT_NE(context->getPageInfo(u"zero", false), nullptr);
    EXPECT_NE(context->getPageInfo(u"no", false), nullptr);
    EXPECT_EQ(context->getPageInfo(u"yes", false), nullptr);
    EXPECT_EQ(context->getPageInfo(u"main", true), nullptr);
    ASSERT_NE(context->getTemplate(u"main"), nullptr);
    EXPECT_EQ(context->getTemplate(u"shown"), nullptr);
    EXPECT_EQ(context->getTemplate(u"none"), nullptr);
}

TEST_F(ConfigTest, PagesInheritFromTheOpenTemplet)
{
    config("<login id=\"user\" page=\"Login\"/>"
           "<templet id=\"main\" dblink=\"!db\" charset=\"utf-8\" pagetype=\"text/html\" login=\"user\" expires=\"30\">"
           "<page id=\"list\" title=\"List\"/>"
           "<page id=\"own\" dblink=\"other\" charset=\"gbk\" pagetype=\"text/plain\" expires=\"5\" login=\"\"/>"
           "</templet>"
           "<page id=\"after\"/>");
    PageInfo* list = pageOf(u"list");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->templet, u"main");
    EXPECT_EQ(list->title, u"List");
    EXPECT_EQ(list->dblink, u"db");
    EXPECT_TRUE(list->getDblinkFlag());
    EXPECT_EQ(list->charset, u"utf-8");
    EXPECT_EQ(list->pagetype, u"text/html");
    EXPECT_EQ(list->login, u"Login");
    EXPECT_EQ(list->getExpires(), 30);

    PageInfo* own = pageOf(u"own");
    EXPECT_EQ(own->dblink, u"other");
    EXPECT_FALSE(own->getDblinkFlag());
    EXPECT_EQ(own->charset, u"gbk");
    EXPECT_EQ(own->pagetype, u"text/plain");
    EXPECT_EQ(own->getExpires(), 5);
    EXPECT_EQ(own->login, u"");

    PageInfo* after = pageOf(u"after");
    EXPECT_EQ(after->templet, u"");
    EXPECT_EQ(after->dblink, u"");
    EXPECT_EQ(after->login, u"");

    PageInfo* templet = context->getTemplate(u"main");
    EXPECT_EQ(templet->dblink, u"!db"); // a templet keeps its "!"
    EXPECT_FALSE(templet->getDblinkFlag());
}

TEST_F(ConfigTest, SelfClosedTempletIsNotOpen)
{
    config("<templet id=\"t\" charset=\"x\"/><page id=\"p\"/>");
    EXPECT_EQ(pageOf(u"p")->templet, u"");
}

TEST_F(ConfigTest, NamedTempletMustExistAndNotFallBack)
{
    config("<templet id=\"open\" charset=\"o\"><templet id=\"named\" charset=\"n\"/>"
           "<page id=\"a\" templet=\"named\"/><page id=\"b\" templet=\"unknown\"/><page id=\"c\" templet=\"\"/>"
           "<page id=\"d\"/><page id=\"e\" templet=\"a\"/>");
    EXPECT_EQ(pageOf(u"a")->templet, u"named");
    EXPECT_EQ(pageOf(u"a")->charset, u"n");
    EXPECT_EQ(pageOf(u"b")->templet, u"");
    EXPECT_EQ(pageOf(u"b")->charset, u"");
    EXPECT_EQ(pageOf(u"c")->templet, u"");
    EXPECT_EQ(pageOf(u"d")->templet, u"open");
    EXPECT_EQ(pageOf(u"e")->templet, u""); // a page is no templet
}

TEST_F(ConfigTest, UnknownLoginBecomesBang)
{
    config("<login id=\"user\" page=\"Login\"/><login id=\"blank\" page=\"\"/>"
           "<templet id=\"t\" login=\"nobody\"><page id=\"inherits\"/></templet>"
           "<page id=\"a\" login=\"nobody\"/><page id=\"b\" login=\"blank\"/><page id=\"c\" login=\"user\"/>"
           "<page id=\"late\" login=\"later\"/><login id=\"later\" page=\"L\"/>");
    EXPECT_EQ(context->getTemplate(u"t")->login, u"!");
    EXPECT_EQ(pageOf(u"inherits")->login, u"!");
    EXPECT_EQ(pageOf(u"a")->login, u"!");
    EXPECT_EQ(pageOf(u"b")->login, u"!");
    EXPECT_EQ(pageOf(u"c")->login, u"Login");
    EXPECT_EQ(pageOf(u"late")->login, u"!"); // logins must come first
}

TEST_F(ConfigTest, LaterEntryWithTheSameIdWins)
{
    config("<page id=\"p\" title=\"one\"/><page id=\"p\" title=\"two\"/><templet id=\"t\"/><page id=\"t\"/>");
    EXPECT_EQ(pageOf(u"p")->title, u"two");
    EXPECT_EQ(context->getTemplate(u"t"), nullptr);
    EXPECT_NE(pageOf(u"t"), nullptr);
}

TEST_F(ConfigTest, ExpiresKeepsTwentyEightBits)
{
    config("<page id=\"p\" expires=\"268435457\" dblink=\"!x\" hidden=\"1\"/>");
    PageInfo* page = pageOf(u"p");
    EXPECT_EQ(page->getExpires(), 1);
    EXPECT_EQ(page->getKind(), PageInfo::PAGE_HIDDEN);
    EXPECT_TRUE(page->getDblinkFlag());
    EXPECT_EQ(page->getPacked(), 0x80000000u | (2u << 28) | 1u);
}

TEST_F(ConfigTest, CommentsAndDeclarationsDoNothing)
{
    config("<?xml version=\"1.0\"?><!-- <page id=\"commented\"/> --><page id=\"real\"/>");
    EXPECT_NE(pageOf(u"real"), nullptr);
}

TEST_F(ConfigTest, TextEndingInsideATagEndsTheScan)
{
    config("<page id=\"a\"/><page id=\"b\" title=\"unterminated");
    EXPECT_NE(pageOf(u"a"), nullptr);
    EXPECT_EQ(pageOf(u"b"), nullptr);
}

TEST_F(ConfigTest, ReinitialisingReplacesThePageTable)
{
    config("<page id=\"a\"/>");
    config("<page id=\"b\"/>");
    EXPECT_EQ(pageOf(u"a"), nullptr);
    EXPECT_NE(pageOf(u"b"), nullptr);
}

TEST_F(ConfigTest, FindPageIgnoresCaseButNotKind)
{
    config("<templet id=\"Frame\"/><page id=\"OrderList\"/><page id=\"orderlist\"/><page id=\"Hidden\" hidden=\"1\"/>");
    EXPECT_EQ(context->findPage(u"orderlist")->id, u"orderlist");
    EXPECT_EQ(context->findPage(u"OrderList")->id, u"OrderList");
    EXPECT_NE(context->findPage(u"ORDERLIST"), nullptr);
    EXPECT_EQ(context->findPage(u"hidden")->id, u"Hidden");
    EXPECT_EQ(context->findPage(u"frame"), nullptr);
    EXPECT_EQ(context->findPage(u""), nullptr);
}

TEST_F(ConfigTest, ConfigurationIsReadInTheContextCharset)
{
    files->put("config.xml", "<page id=\"p\" title=\"\xB6\xA9\xB5\xA5\"/>"); // 订单 in GBK
    context->setCharset(936);
    start();
    EXPECT_EQ(pageOf(u"p")->title, u"订单");
}

TEST(TagScannerTest, AttributesEndAtCloseMarks)
{
    TagScanner::Attributes attributes;
    String text(u" a=\"1\" b c= '2'd=x >rest");
    int end = TagScanner::readAttributes(text, 0, attributes);
    EXPECT_EQ(end, text.indexOf(u"rest"));
    EXPECT_EQ(attributes[String(u"a")], u"1");
    EXPECT_EQ(attributes[String(u"b")], u"");
    EXPECT_EQ(attributes[String(u"c")], u"2");
    EXPECT_EQ(attributes[String(u"d")], u"x");
    attributes.clear();
    EXPECT_EQ(TagScanner::readAttributes(String(u" d=x/>rest"), 0, attributes), -1); // a bare value runs on
    EXPECT_EQ(attributes[String(u"d")], u"x/>rest");
    attributes.clear();
    String declaration(u" version=\"1.0\"?>");
    EXPECT_EQ(TagScanner::readAttributes(declaration, 0, attributes), declaration.size());
    EXPECT_EQ(attributes.count(String(TagScanner::CLOSED)), 0u);
    attributes.clear();
    String closed(u" x='1' />");
    EXPECT_EQ(TagScanner::readAttributes(closed, 0, attributes), closed.size());
    EXPECT_EQ(attributes[String(TagScanner::CLOSED)], u"1");
    attributes.clear();
    EXPECT_EQ(TagScanner::readAttributes(String(u" a=\"open"), 0, attributes), -1);
}

} // namespace
