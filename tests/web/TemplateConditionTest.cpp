// tpl:if, tpl:unless, tpl:elseif and tpl:else with every opcode.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateConditionTest : public WebTest {
protected:
    // "T" when the condition holds, "F" when it does not.
    std::string test(const std::string& attributes)
    {
        return renderText("<tpl:if " + attributes + ">T<tpl:else>F</tpl:if>");
    }
};

TEST_F(TemplateConditionTest, NotEmptyIsTheDefault)
{
    set("full", "x");
    set("zero", "0");
    set("blank", " ");
    data->insert(u"map.child", u"1");
    data->insert(u"emptymap");
    EXPECT_EQ(test("name=\"full\""), "T");
    EXPECT_EQ(test("name=\"zero\""), "F");
    EXPECT_EQ(test("name=\"blank\""), "F");
    EXPECT_EQ(test("name=\"map\""), "T");
    EXPECT_EQ(test("name=\"emptymap\""), "F");
    EXPECT_EQ(test("name=\"missing\""), "F");
    EXPECT_EQ(test("name=\"full\" opcode=\"NotEmpty\""), "T");
}

TEST_F(TemplateConditionTest, EmptyExistAndNotExist)
{
    set("zero", "0");
    set("full", "x");
    EXPECT_EQ(test("name=\"zero\" opcode=\"empty\""), "T");
    EXPECT_EQ(test("name=\"missing\" opcode=\"empty\""), "T");
    EXPECT_EQ(test("name=\"full\" opcode=\"empty\""), "F");
    EXPECT_EQ(test("name=\"zero\" opcode=\"exist\""), "T");
    EXPECT_EQ(test("name=\"missing\" opcode=\"exist\""), "F");
    EXPECT_EQ(test("name=\"missing\" opcode=\"notexist\""), "T");
    EXPECT_EQ(test("name=\"zero\" opcode=\"notexist\""), "F");
}

TEST_F(TemplateConditionTest, OddAndEven)
{
    set("three", "3");
    set("minus", "-3");
    set("four", "4");
    set("word", "abc");
    EXPECT_EQ(test("name=\"three\" opcode=\"odd\""), "T");
    EXPECT_EQ(test("name=\"minus\" opcode=\"odd\""), "T");
    EXPECT_EQ(test("name=\"four\" opcode=\"odd\""), "F");
    EXPECT_EQ(test("name=\"four\" opcode=\"even\""), "T");
    EXPECT_EQ(test("name=\"three\" opcode=\"even\""), "F");
    // A text that is no number cannot be decided: neither branch of an if
    // holds, the else renders.
    EXPECT_EQ(test("name=\"word\" opcode=\"even\""), "F");
}

TEST_F(TemplateConditionTest, EqualAndNotEqual)
{
    set("state", "open");
    set("other", "open");
    set("one", "1");
    EXPECT_EQ(test("name=\"state\" value=\"'open'\""), "T"); // no opcode with a value: equal
    EXPECT_EQ(test("name=\"state\" opcode=\"equal\" value=\"'Open'\""), "F");
    EXPECT_EQ(test("name=\"one\" value=\"1\""), "T");
    // The value is an expression: a bare word is a variable.
    EXPECT_EQ(test("name=\"state\" opcode=\"equal\" value=\"other\""), "T");
    EXPECT_EQ(test("name=\"state\" opcode=\"equal\" value=\"'other'\""), "F");
    EXPECT_EQ(test("name=\"state\" opcode=\"equal\" value=\"open\""), "F");
    EXPECT_EQ(test("name=\"state\" opcode=\"notequal\" value=\"'closed'\""), "T");
    EXPECT_EQ(test("name=\"state\" opcode=\"notequal\" value=\"'open'\""), "F");
    EXPECT_EQ(test("name=\"state\" opcode=\"notequal\" value=\"nothing.here\""), "T");
    EXPECT_EQ(test("name=\"missing\" opcode=\"notequal\" value=\"x\""), "F"); // undecidable
}

TEST_F(TemplateConditionTest, Number)
{
    for (const char* yes : {"12", "-1", "+3.5", "0.", "7"}) {
        set("v", yes);
        EXPECT_EQ(test("name=\"v\" opcode=\"number\""), "T") << yes;
    }
    for (const char* no : {"", "-", ".5", "1.2.3", "1e5", "12a", " 1"}) {
        set("v", no);
        EXPECT_EQ(test("name=\"v\" opcode=\"number\""), "F") << no;
    }
}

TEST_F(TemplateConditionTest, Comparisons)
{
    set("n", "5");
    set("neg", "-2");
    EXPECT_EQ(test("name=\"n\" opcode=\"more\" value=\"4\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"more\" value=\"5\""), "F");
    EXPECT_EQ(test("name=\"n\" opcode=\"notmore\" value=\"5\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"less\" value=\"6\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"less\" value=\"5\""), "F");
    EXPECT_EQ(test("name=\"n\" opcode=\"notless\" value=\"5\""), "T");
    // Without a value the comparisons are against 0.
    EXPECT_EQ(test("name=\"n\" opcode=\"more\""), "T");
    EXPECT_EQ(test("name=\"neg\" opcode=\"less\""), "T");
    EXPECT_EQ(test("name=\"neg\" opcode=\"notless\""), "F");
}

TEST_F(TemplateConditionTest, FirstOfAndLastOf)
{
    set("n", "7");
    EXPECT_EQ(test("name=\"n\" opcode=\"firstof\" value=\"3\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"firstof\" value=\"2\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"firstof\" value=\"1\""), "F"); // every remainder is 0
    EXPECT_EQ(test("name=\"n\" opcode=\"firstof\" value=\"0\""), "F");
    EXPECT_EQ(test("name=\"n\" opcode=\"lastof\" value=\"7\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"lastof\" value=\"3\""), "F");
    EXPECT_EQ(test("name=\"n\" opcode=\"lastof\" value=\"-1\""), "T");
    EXPECT_EQ(test("name=\"n\" opcode=\"lastof\" value=\"0\""), "F");
    // Needs a value: the tag is dropped, so its else has no if to follow.
    EXPECT_EQ(test("name=\"n\" opcode=\"lastof\""), "<failed>");
}

TEST_F(TemplateConditionTest, FirstAndLater)
{
    set("one", "1");
    set("two", "2");
    EXPECT_EQ(test("name=\"one\" opcode=\"first\""), "T");
    EXPECT_EQ(test("name=\"two\" opcode=\"first\""), "F");
    EXPECT_EQ(test("name=\"two\" opcode=\"later\""), "T");
    EXPECT_EQ(test("name=\"one\" opcode=\"later\""), "F");
}

TEST_F(TemplateConditionTest, FileOfIsTrueForAnotherExtension)
{
    auto fileOf = [&](const std::string& file, const std::string& extension) {
        set("f", file);
        return test("name=\"f\" opcode=\"fileof\" value=\"'" + extension + "'\"");
    };
    EXPECT_EQ(fileOf("photo.JPG", "jpg"), "F");
    EXPECT_EQ(fileOf("photo.png", "jpg"), "T");
    EXPECT_EQ(fileOf("a.b/photo.png?x=1", "png"), "F");
    EXPECT_EQ(fileOf("a.b/photo.png?v=1.2", "jpg"), "T");
    EXPECT_EQ(fileOf("a.dir/readme", "txt"), "F"); // the dot belongs to a folder
    EXPECT_EQ(fileOf("a.dir\\readme", "txt"), "F");
    EXPECT_EQ(fileOf("noextension", "txt"), "F");
    EXPECT_EQ(fileOf(".hidden", "txt"), "T");
    EXPECT_EQ(fileOf("photo.png", ""), "F");
}

TEST_F(TemplateConditionTest, UnknownOpcodeDropsTheTagOnly)
{
    set("v", "1");
    // The children stay where the tag was; its closing tag then has no
    // container to close.
    EXPECT_EQ(renderText("a<tpl:if name=\"v\" opcode=\"bogus\">T</tpl:if>b"), "<failed>");
    EXPECT_EQ(renderText("a<tpl:if name=\"v\" opcode=\"bogus\">T"), "aT");
}

TEST_F(TemplateConditionTest, OpcodesAreMatchedInAnyCase)
{
    set("v", "3");
    EXPECT_EQ(test("name=\"v\" opcode=\"ODD\""), "T");
}

TEST_F(TemplateConditionTest, ElseIfChains)
{
    std::string chain = "<tpl:if name=\"a\">A<tpl:elseif name=\"b\">B<tpl:elseif name=\"c\">C<tpl:else>E</tpl:if>";
    EXPECT_EQ(renderText(chain), "E");
    set("b", "1");
    EXPECT_EQ(renderText(chain), "B");
    set("c", "1");
    EXPECT_EQ(renderText(chain), "B");
    set("a", "1");
    EXPECT_EQ(renderText(chain), "A");
    data->remove(u"a");
    data->remove(u"b");
    EXPECT_EQ(renderText(chain), "C");
}

TEST_F(TemplateConditionTest, CachedChainIsReevaluatedEachRender)
{
    page("chain", "<tpl:if name=\"a\">A<tpl:else>E</tpl:if>");
    start();
    EXPECT_EQ(render("chain"), "E");
    set("a", "1");
    EXPECT_EQ(render("chain"), "A");
    data->remove(u"a");
    EXPECT_EQ(render("chain"), "E");
}

TEST_F(TemplateConditionTest, UnlessRendersOnFalseOnly)
{
    set("yes", "1");
    set("word", "abc");
    EXPECT_EQ(renderText("<tpl:unless name=\"yes\">U<tpl:else>E</tpl:unless>"), "E");
    EXPECT_EQ(renderText("<tpl:unless name=\"no\">U<tpl:else>E</tpl:unless>"), "U");
    // Undecidable is not false.
    EXPECT_EQ(renderText("<tpl:unless name=\"word\" opcode=\"odd\">U<tpl:else>E</tpl:unless>"), "E");
}

TEST_F(TemplateConditionTest, NestedIfsKeepTheirOwnChains)
{
    set("a", "1");
    std::string text = "<tpl:if name=\"a\">[<tpl:if name=\"b\">B<tpl:else>nb</tpl:if>]<tpl:else>na</tpl:if>";
    EXPECT_EQ(renderText(text), "[nb]");
}

TEST_F(TemplateConditionTest, BareIfTestsTheRowId)
{
    set("ROWID", "2");
    EXPECT_EQ(renderText("<tpl:if>R</tpl:if>"), "R");
    EXPECT_EQ(renderText("<tpl:if/>R</tpl:if>"), "R"); // "/>" straight after the name opens
    EXPECT_EQ(renderText("<tpl:if opcode=\"first\">1<tpl:else>n</tpl:if>"), "n");
}

TEST_F(TemplateConditionTest, ParseErrors)
{
    EXPECT_EQ(renderText("<tpl:if name=\"a\">x<tpl:else>y<tpl:else>z</tpl:if>"), "<failed>");
    EXPECT_EQ(renderText("<tpl:if name=\"a\">x<tpl:else>y<tpl:elseif name=\"b\">z</tpl:if>"), "<failed>");
    EXPECT_EQ(renderText("x<tpl:else>y"), "<failed>");
    EXPECT_EQ(renderText("<tpl:loop name=\"l\"><tpl:elseif name=\"b\"></tpl:loop>"), "<failed>");
    EXPECT_EQ(renderText("<tpl:if name=\"a\" />"), "<failed>");
    EXPECT_EQ(renderText("<tpl:unless name=\"a\" />"), "<failed>");
    EXPECT_EQ(renderText("<tpl:if name=\"a\"></tpl:loop>"), "<failed>");
    EXPECT_EQ(renderText("</tpl:if>"), "<failed>");
}

TEST_F(TemplateConditionTest, UnclosedContainersCloseAtTheEnd)
{
    set("a", "1");
    EXPECT_EQ(renderText("<tpl:if name=\"a\">open"), "open");
}

TEST_F(TemplateConditionTest, StrayClosingTagsOfOtherNamesVanish)
{
    EXPECT_EQ(renderText("a</tpl:var></tpl:else></tpl:whatever>b"), "ab");
}

} // namespace
