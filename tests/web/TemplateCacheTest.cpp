// The template cache, the debug switch, charsets and failed parses.
#include "WebTestSupport.h"

#include "tessel/web/TemplateParser.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateCacheTest : public WebTest {};

TEST_F(TemplateCacheTest, ParsedTemplatesAreKeptUntilInitializeOrClear)
{
    page("p", "one");
    start();
    EXPECT_EQ(render("p"), "one");
    page("p", "two");
    EXPECT_EQ(render("p"), "one");
    EXPECT_EQ(files->opens("p.htm"), 1);
    start();
    EXPECT_EQ(render("p"), "two");
    page("p", "three");
    context->clearTemplateCache();
    EXPECT_EQ(render("p"), "three");
    files->put("print/order.xls", "<Row>{no}</Row>");
    set("no", "P-1");
    EXPECT_EQ(convert("print/order.xls"), "<Row>P-1</Row>");
    EXPECT_EQ(convert("print/order.xls"), "<Row>P-1</Row>");
    EXPECT_EQ(files->opens("print/order.xls"), 2) << "convert never caches";
    EXPECT_EQ(convert("print/order"), "<failed>");
}

TEST_F(TemplateCacheTest, DebugParsesEveryTime)
{
    files->put("config.xml", "<property id=\"debug\" value=\"on\"/>");
    page("p", "one");
    start();
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

TEST_F(TemplateCacheTest, TheContextCharsetOrAByteOrderMarkReadsTheTemplate)
{
    // UTF-16LE with its mark, read by a context whose charset is UTF-8.
    std::string bytes = "\xFF\xFE";
    for (char c : std::string("h{v}"))
        bytes += std::string(1, c) + '\0';
    bytes += "\x2D\x4E"; // U+4E2D
    page("marked", bytes);
    page("gbk", "\xD6\xD0"); // U+4E2D in GBK
    set("v", "i");
    context->setCharset(65001);
    start();
    EXPECT_EQ(render("marked"), "hi\xE4\xB8\xAD");
    context->setCharset(936);
    start();
    EXPECT_EQ(render("gbk"), "\xE4\xB8\xAD");
}

TEST_F(TemplateCacheTest, DeeplyNestedTemplatesAreRefused)
{
    std::string deep, fine, flat;
    for (int i = 0; i <= TemplateParser::MAX_NESTING; i++)
        deep += "<tpl:if name=\"a\">";
    for (int i = 0; i < TemplateParser::MAX_NESTING; i++)
        fine += "<tpl:loop name=\"a\">";
    for (int i = 0; i < 1000; i++)
        flat += "<tpl:if name=\"a\">x</tpl:if>"; // closed containers do not count
    EXPECT_EQ(renderText(deep), "<failed>");
    EXPECT_EQ(renderText(fine + "x"), "");
    EXPECT_EQ(renderText(flat), "");
}

} // namespace
