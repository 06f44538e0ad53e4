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

TEST_F(ConfigTest, TheTagScannerReadsElementsAndLiteralAttributes)
{
    config("<page id=\"a\" title=\"A &amp; B\" group=solo charset='gb2312' pagetype=text/html />"
           "<page>ignored</page><PAGE id=\"b\"><page\tid='c'/><page id=\"\"/><page title=\"x\"/>"
           "<page id=\"r\" title=\"one\" title=\"two\"/><page id=d title=x>\n<page id=\"e\">"
           "<page id=\"f\" title=\"unterminated");
    PageInfo* page = pageOf(u"a");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->title, u"A &amp; B");
    EXPECT_EQ(page->group, u"solo");
    EXPECT_EQ(page->charset, u"gb2312");
    EXPECT_EQ(page->pagetype, u"text/html");
    EXPECT_NE(pageOf(u"b"), nullptr);
    EXPECT_NE(pageOf(u"c"), nullptr);
    EXPECT_EQ(pageOf(u""), nullptr);
    EXPECT_EQ(pageOf(u"r")->title, u"two");
    // A bare value runs through the closing mark: the tag goes on into the
    // next line.
    EXPECT_EQ(pageOf(u"d"), nullptr);
    EXPECT_EQ(pageOf(u"e")->title, u"x>");
    EXPECT_EQ(pageOf(u"f"), nullptr) << "text ending inside a tag ends the scan";

    TagScanner::Attributes attributes;
    String text(u" a=\"1\" b c= '2'd=x >rest");
    EXPECT_EQ(TagScanner::readAttributes(text, 0, attributes), text.indexOf(u"rest"));
    EXPECT_EQ(attributes[String(u"b")], u"");
    EXPECT_EQ(attributes[String(u"c")], u"2");
    EXPECT_EQ(attributes[String(u"d")], u"x");
    attributes.clear();
    String declaration(u" version=\"1.0\"?>");
    EXPECT_EQ(TagScanner::readAttributes(declaration, 0, attributes), declaration.size());
    EXPECT_EQ(attributes.count(String(TagScanner::CLOSED)), 0u);
    String closed(u" x='1' />");
    EXPECT_EQ(TagScanner::readAttributes(closed, 0, attributes), closed.size());
    EXPECT_EQ(attributes[String(TagScanner::CLOSED)], u"1");
    EXPECT_EQ(TagScanner::readAttributes(String(u" a=\"open"), 0, attributes), -1);
}

TEST_F(ConfigTest, VisibleHiddenAndTemplets)
{
    config(
        "<templet id=\"main\"/><page id=\"shown\"/><page id=\"secret\" hidden=\"\"/><page id=\"off\" hidden=\"OFF\"/>"
        "<page id=\"zero\" hidden=\"0\"/><page id=\"no\" hidden=\"False\"/><page id=\"yes\" hidden=\"yes\"/>"
        "<page id=\"p\" expires=\"268435457\" dblink=\"!x\" hidden=\"1\"/>");
    EXPECT_EQ(context->getPageInfo(u"shown", false)->getKind(), PageInfo::PAGE_VISIBLE);
    EXPECT_EQ(context->getPageInfo(u"secret", false), nullptr);
    EXPECT_EQ(context->getPageInfo(u"secret", true)->getKind(), PageInfo::PAGE_HIDDEN);
    for (const char16_t* id : {u"off", u"zero", u"no"})
        EXPECT_NE(context->getPageInfo(id, false), nullptr) << String(id).toStdString();
    EXPECT_EQ(context->getPageInfo(u"yes", false), nullptr);
    EXPECT_EQ(context->getPageInfo(u"main", true), nullptr);
    ASSERT_NE(context->getTemplate(u"main"), nullptr);
    EXPECT_EQ(context->getTemplate(u"shown"), nullptr);
    PageInfo* packed = pageOf(u"p"); // expires keeps 28 bits
    EXPECT_EQ(packed->getExpires(), 1);
    EXPECT_TRUE(packed->getDblinkFlag());
    EXPECT_EQ(packed->getPacked(), 0x80000000u | (2u << 28) | 1u);
}

TEST_F(ConfigTest, PagesInheritFromTheOpenOrNamedTemplet)
{
    config("<login id=\"user\" page=\"Login\"/>"
           "<templet id=\"main\" dblink=\"!db\" charset=\"utf-8\" pagetype=\"text/html\" login=\"user\" expires=\"30\">"
           "<page id=\"list\" title=\"List\"/>"
           "<page id=\"own\" dblink=\"other\" charset=\"gbk\" pagetype=\"text/plain\" expires=\"5\" login=\"\"/>"
           "<templet id=\"named\" charset=\"n\"/><page id=\"a\" templet=\"named\"/><page id=\"b\" templet=\"unknown\"/>"
           "<page id=\"e\" templet=\"list\"/>"
           "</templet><page id=\"after\"/><templet id=\"closed\" charset=\"x\"/><page id=\"p\"/>");
    PageInfo* list = pageOf(u"list");
    EXPECT_EQ(list->templet, u"main");
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
    EXPECT_EQ(own->getExpires(), 5);
    EXPECT_EQ(own->login, u"");
    EXPECT_EQ(pageOf(u"a")->charset, u"n");
    EXPECT_EQ(pageOf(u"b")->templet, u"") << "a named templet must exist and does not fall back";
    EXPECT_EQ(pageOf(u"b")->charset, u"");
    EXPECT_EQ(pageOf(u"e")->templet, u"") << "a page is no templet";
    EXPECT_EQ(pageOf(u"after")->dblink, u"");
    EXPECT_EQ(pageOf(u"p")->templet, u"") << "a self-closed templet is not open";
    EXPECT_EQ(context->getTemplate(u"main")->dblink, u"!db"); // a templet keeps its "!"
}

TEST_F(ConfigTest, UnknownLoginsSameIdsAndFindPage)
{
    config("<login id=\"user\" page=\"Login\"/><login id=\"blank\" page=\"\"/>"
           "<templet id=\"t\" login=\"nobody\"><page id=\"inherits\"/></templet>"
           "<page id=\"a\" login=\"nobody\"/><page id=\"b\" login=\"blank\"/><page id=\"c\" login=\"user\"/>"
           "<page id=\"late\" login=\"later\"/><login id=\"later\" page=\"L\"/>"
           "<page id=\"p\" title=\"one\"/><page id=\"p\" title=\"two\"/><templet id=\"t2\"/><page id=\"t2\"/>"
           "<templet id=\"Frame\"/><page id=\"OrderList\"/><page id=\"orderlist\"/><page id=\"Hidden\" hidden=\"1\"/>");
    EXPECT_EQ(context->getTemplate(u"t")->login, u"!");
    for (const char16_t* id : {u"inherits", u"a", u"b", u"late"}) // logins must come first
        EXPECT_EQ(pageOf(id)->login, u"!") << String(id).toStdString();
    EXPECT_EQ(pageOf(u"c")->login, u"Login");
    EXPECT_EQ(pageOf(u"p")->title, u"two");
    EXPECT_EQ(context->getTemplate(u"t2"), nullptr);
    EXPECT_NE(pageOf(u"t2"), nullptr);
    EXPECT_EQ(context->findPage(u"orderlist")->id, u"orderlist");
    EXPECT_EQ(context->findPage(u"OrderList")->id, u"OrderList");
    EXPECT_NE(context->findPage(u"ORDERLIST"), nullptr);
    EXPECT_EQ(context->findPage(u"hidden")->id, u"Hidden");
    EXPECT_EQ(context->findPage(u"frame"), nullptr);
    config("<page id=\"new\" title=\"\xB6\xA9\xB5\xA5\"/>"); // 订单 in GBK, read in the context charset
    EXPECT_EQ(pageOf(u"p"), nullptr) << "initialising again replaces the table";
    context->setCharset(936);
    start();
    EXPECT_EQ(pageOf(u"new")->title, u"订单");
}

} // namespace
