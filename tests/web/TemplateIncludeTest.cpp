// tpl:include, block views, and the names a template may be read by.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateIncludeTest : public WebTest {};

TEST_F(TemplateIncludeTest, IncludesRenderWithTheSameData)
{
    page("header", "<h1>{title}</h1>");
    page("parts/footer", "<p>{title}</p>");
    set("title", "T");
    EXPECT_EQ(renderText("<tpl:include name=\"'header'\"/>|<tpl:include name=\"parts/footer\"/>"), "<h1>T</h1>|<p>T</p>");
}

TEST_F(TemplateIncludeTest, NameFromTheData)
{
    page("part", "[{x}]");
    set("which", "part");
    set("x", "1");
    EXPECT_EQ(renderText("<tpl:include name=\"which\"/>"), "[1]");
}

TEST_F(TemplateIncludeTest, BlockIncludesTheView)
{
    page("views/edit", "edit {id}");
    data->insert(u".", u"views/edit");
    set("id", "9");
    EXPECT_EQ(renderText("<body><tpl:include block=\"1\"/></body>"), "<body>edit 9</body>");
    EXPECT_EQ(renderText("<tpl:include block/>"), "edit 9");
}

TEST_F(TemplateIncludeTest, MissingOrFailingIncludesWriteNothing)
{
    page("broken", "x<tpl:else>");
    EXPECT_EQ(renderText("a<tpl:include name=\"'nothere'\"/>b<tpl:include name=\"'broken'\"/>c<tpl:include name=\"unset\"/>d"),
              "abcd");
    EXPECT_EQ(renderText("a<tpl:include/>b"), "ab");
}

TEST_F(TemplateIncludeTest, IncludesInsideLoopsSeeTheRow)
{
    page("row", "<li>{NAME}:{code}</li>");
    set("list.a.code", "1");
    set("list.b.code", "2");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\"><tpl:include name=\"'row'\"/></tpl:loop>"), "<li>a:1</li><li>b:2</li>");
}

TEST_F(TemplateIncludeTest, SelfIncludeStopsAtTheDepthLimit)
{
    page("self", "x<tpl:include name=\"'self'\"/>");
    start();
    EXPECT_EQ(render("self"), std::string(HttpContext::MAX_INCLUDE_DEPTH + 1, 'x'));
    // The limit is per render: the next one starts afresh.
    EXPECT_EQ(render("self"), std::string(HttpContext::MAX_INCLUDE_DEPTH + 1, 'x'));
}

TEST_F(TemplateIncludeTest, MutualIncludesStopToo)
{
    page("ping", "p<tpl:include name=\"'pong'\"/>");
    page("pong", "q<tpl:include name=\"'ping'\"/>");
    start();
    std::string out = render("ping");
    EXPECT_EQ(out.size(), static_cast<size_t>(HttpContext::MAX_INCLUDE_DEPTH + 1));
    EXPECT_EQ(out.substr(0, 4), "pqpq");
}

TEST_F(TemplateIncludeTest, RecursiveTreeWithElseKeepsEachChainApart)
{
    // A tree view: the same cached template renders at every level, so
    // the inner renders run through the outer chain's branches.
    page("tree", "<tpl:loop name=\"kids\">({NAME}<tpl:if name=\"kids\" opcode=\"exist\"><tpl:include name=\"'tree'\"/>"
                 "<tpl:else>.</tpl:if>)</tpl:loop>");
    set("kids.a.kids.b.x", "1");
    set("kids.c.y", "2");
    start();
    EXPECT_EQ(render("tree"), "(a(b.))(c.)");
}

TEST_F(TemplateIncludeTest, NamesThatLeaveTheFolderAreRefused)
{
    files->put("secret.htm", "secret");
    files->put("../secret.htm", "outside");
    files->put("/etc/passwd.htm", "root");
    start();
    for (const char* name : {"../secret", "a/../../secret", "..\\secret", "a\\..\\secret", "/etc/passwd", "\\etc\\passwd",
                             "sec\nret", "..", ""}) {
        EXPECT_EQ(render(name), "<failed>") << name;
        EXPECT_EQ(convert(std::string(name) + ".htm"), "<failed>") << name;
    }
    EXPECT_EQ(render("secret"), "secret");
    EXPECT_EQ(render("./secret"), "<failed>"); // not in the folder under that name
    files->put("./secret.htm", "dot");
    EXPECT_EQ(render("./secret"), "dot");
    files->put("..a/b...htm", "dots");
    EXPECT_EQ(render("..a/b.."), "dots");
}

TEST_F(TemplateIncludeTest, IncludeNamesFromTheDataAreCheckedToo)
{
    files->put("../outside.htm", "outside");
    set("which", "../outside");
    EXPECT_EQ(renderText("[<tpl:include name=\"which\"/>]"), "[]");
}

TEST_F(TemplateIncludeTest, TemplateDirectoryPrefixIsTheApplicationsOwn)
{
    files->put("config.xml", "<property id=\"temp_dir\" value=\"../shared/\"/>");
    files->put("../shared/page.htm", "shared");
    files->put("../shared/../x.htm", "x");
    start();
    EXPECT_EQ(render("../shared/page"), "shared");
    EXPECT_EQ(render("../shared/../x"), "<failed>");
}

TEST_F(TemplateIncludeTest, ConvertReadsThePathAsGivenAndNeverCaches)
{
    files->put("print/order.xls", "<Row>{no}</Row>");
    set("no", "P-1");
    start();
    EXPECT_EQ(convert("print/order.xls"), "<Row>P-1</Row>");
    EXPECT_EQ(convert("print/order.xls"), "<Row>P-1</Row>");
    EXPECT_EQ(files->opens("print/order.xls"), 2);
    EXPECT_EQ(convert("print/order"), "<failed>");
}

} // namespace
