// tpl:include, block views, and the names a template may be read by.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateIncludeTest : public WebTest {};

TEST_F(TemplateIncludeTest, IncludesAndBlockViewsRenderWithTheSameData)
{
    page("header", "<h1>{title}</h1>");
    page("parts/footer", "<p>{title}</p>");
    page("part", "[{x}]");
    page("views/edit", "edit {x}");
    page("row", "<li>{NAME}:{code}</li>");
    page("broken", "x<tpl:else>");
    set("title", "T");
    set("which", "part");
    set("x", "9");
    set("list.a.code", "1");
    set("list.b.code", "2");
    data->insert(u".", u"views/edit");
    const char* rows[][2] = {
        {"<tpl:include name=\"'header'\"/>|<tpl:include name=\"parts/footer\"/>", "<h1>T</h1>|<p>T</p>"},
        {"<tpl:include name=\"which\"/>", "[9]"},
        {"<body><tpl:include block=\"1\"/></body>", "<body>edit 9</body>"},
        {"<tpl:include block/>", "edit 9"},
        {"a<tpl:include name=\"'nothere'\"/>b<tpl:include name=\"'broken'\"/>c<tpl:include name=\"unset\"/>d"
         "<tpl:include/>e",
         "abcde"},
        {"<tpl:loop name=\"list\"><tpl:include name=\"'row'\"/></tpl:loop>", "<li>a:1</li><li>b:2</li>"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(row[0]), row[1]) << row[0];
}

TEST_F(TemplateIncludeTest, IncludesOfThemselvesStopAtTheDepthLimit)
{
    page("self", "x<tpl:include name=\"'self'\"/>");
    page("ping", "p<tpl:include name=\"'pong'\"/>");
    page("pong", "q<tpl:include name=\"'ping'\"/>");
    // A tree view: the same cached template renders at every level, so the
    // inner renders run through the outer chain's branches.
    page("tree", "<tpl:loop name=\"kids\">({NAME}<tpl:if name=\"kids\" opcode=\"exist\"><tpl:include name=\"'tree'\"/>"
                 "<tpl:else>.</tpl:if>)</tpl:loop>");
    set("kids.a.kids.b.x", "1");
    set("kids.c.y", "2");
    start();
    EXPECT_EQ(render("self"), std::string(HttpContext::MAX_INCLUDE_DEPTH + 1, 'x'));
    EXPECT_EQ(render("self"), std::string(HttpContext::MAX_INCLUDE_DEPTH + 1, 'x')) << "the limit is per render";
    std::string out = render("ping");
    EXPECT_EQ(out.size(), static_cast<size_t>(HttpContext::MAX_INCLUDE_DEPTH + 1));
    EXPECT_EQ(out.substr(0, 4), "pqpq");
    EXPECT_EQ(render("tree"), "(a(b.))(c.)");
}

TEST_F(TemplateIncludeTest, NamesThatLeaveTheFolderAreRefused)
{
    files->put("secret.htm", "secret");
    files->put("../secret.htm", "outside");
    files->put("/etc/passwd.htm", "root");
    start();
    for (const char* name : {"../secret", "a/../../secret", "..\\secret", "a\\..\\secret", "/etc/passwd",
                             "\\etc\\passwd", "sec\nret", "..", ""}) {
        EXPECT_EQ(render(name), "<failed>") << name;
        EXPECT_EQ(convert(std::string(name) + ".htm"), "<failed>") << name;
    }
    EXPECT_EQ(render("secret"), "secret");
    EXPECT_EQ(render("./secret"), "<failed>"); // not in the folder under that name
    files->put("./secret.htm", "dot");
    EXPECT_EQ(render("./secret"), "dot");
    files->put("..a/b...htm", "dots");
    EXPECT_EQ(render("..a/b.."), "dots");
    set("which", "../secret");
    EXPECT_EQ(renderText("[<tpl:include name=\"which\"/>]"), "[]") << "include names from the data too";
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

} // namespace
