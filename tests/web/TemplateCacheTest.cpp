// The template cache, the debug switch and failed parses.
#include "WebTestSupport.h"

#include "tessel/web/TemplateParser.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateCacheTest : public WebTest {};

TEST_F(TemplateCacheTest, ParsedTemplatesAreKept)
{
    page("p", "one");
    start();
    EXPECT_EQ(render("p"), "one");
    page("p", "two");
    EXPECT_EQ(render("p"), "one");
    EXPECT_EQ(files->opens("p.htm"), 1);
}

TEST_F(TemplateCacheTest, InitializeDropsTheCache)
{
    page("p", "one");
    start();
    EXPECT_EQ(render("p"), "one");
    page("p", "two");
    start();
    EXPECT_EQ(render("p"), "two");
}

TEST_F(TemplateCacheTest, ClearTemplateCacheRereads)
{
    page("p", "one");
    start();
    render("p");
    page("p", "two");
    context->clearTemplateCache();
    EXPECT_EQ(render("p"), "two");
}

TEST_F(TemplateCacheTest, DebugParsesEveryTime)
{
    files->put("config.xml", "<property id=\"debug\" value=\"on\"/>");
    page("p", "one");
    start();
    EXPECT_TRUE(context->isDebug());
    EXPECT_EQ(render("p"), "one");
    page("p", "two");
    EXPECT_EQ(render("p"), "two");
    EXPECT_EQ(files->opens("p.htm"), 2);
}

TEST_F(TemplateCacheTest, FailedParseLeavesTheCacheAlone)
{
    page("p", "good");
    start();
    EXPECT_EQ(render("p"), "good");
    // A broken file is never read while the cached tree serves.
    page("p", "<tpl:else>");
    EXPECT_EQ(render("p"), "good");
    context->clearTemplateCache();
    EXPECT_EQ(render("p"), "<failed>");
    EXPECT_EQ(render("p"), "<failed>");
    EXPECT_EQ(files->opens("p.htm"), 3); // not cached
    page("p", "fixed");
    EXPECT_EQ(render("p"), "fixed");
}

TEST_F(TemplateCacheTest, CacheIsKeyedByTheNameGiven)
{
    files->put("config.xml", "<property id=\"temp_dir\" value=\"tpl/\"/>");
    files->put("tpl/p.htm", "dir");
    page("p", "root");
    start();
    EXPECT_EQ(render("p"), "root");
    EXPECT_EQ(render("tpl/p"), "dir");
    EXPECT_EQ(context->getPagePath(u"p"), u"tpl/p.htm");
}

TEST_F(TemplateCacheTest, FileExtensionChoosesTheFile)
{
    files->put("p.html", "html");
    page("p", "htm");
    start();
    context->setFileext(u"");
    EXPECT_EQ(context->getFileext(), u".htm");
    context->setFileext(u".html");
    EXPECT_EQ(render("p"), "html");
}

TEST_F(TemplateCacheTest, WithoutFileSystemNothingRenders)
{
    page("p", "x");
    EXPECT_EQ(render("p"), "<failed>");
    EXPECT_EQ(convert("p.htm"), "<failed>");
    start();
    render("p");
    context->initialize(nullptr);
    EXPECT_EQ(render("p"), "<failed>");
}

TEST_F(TemplateCacheTest, ByteOrderMarkOverridesTheCharset)
{
    // UTF-16LE with its mark, read by a context whose charset is UTF-8.
    std::string bytes = "\xFF\xFE";
    for (char c : std::string("h{v}"))
        bytes += std::string(1, c) + '\0';
    bytes += "\x2D\x4E"; // U+4E2D
    page("p", bytes);
    context->setCharset(65001);
    set("v", "i");
    start();
    EXPECT_EQ(render("p"), "hi\xE4\xB8\xAD");
}

TEST_F(TemplateCacheTest, ContextCharsetReadsTheTemplate)
{
    page("p", "\xD6\xD0"); // U+4E2D in GBK
    context->setCharset(936);
    start();
    EXPECT_EQ(render("p"), "\xE4\xB8\xAD");
}

TEST_F(TemplateCacheTest, DeeplyNestedTemplatesAreRefused)
{
    std::string deep;
    for (int i = 0; i <= TemplateParser::MAX_NESTING; i++)
        deep += "<tpl:if name=\"a\">";
    EXPECT_EQ(renderText(deep), "<failed>");
    std::string fine;
    for (int i = 0; i < TemplateParser::MAX_NESTING; i++)
        fine += "<tpl:loop name=\"a\">";
    EXPECT_EQ(renderText(fine + "x"), "");
    // Closed containers do not count.
    std::string flat;
    for (int i = 0; i < 1000; i++)
        flat += "<tpl:if name=\"a\">x</tpl:if>";
    EXPECT_EQ(renderText(flat), "");
}

} // namespace
