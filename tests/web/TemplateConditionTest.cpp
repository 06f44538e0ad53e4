// tpl:if, tpl:unless, tpl:elseif and tpl:else with every opcode.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateConditionTest : public WebTest {};

TEST_F(TemplateConditionTest, EveryOpcodeDecidesBetweenIfAndElse)
{
    for (auto [path, value] : {std::pair{"full", "x"},
                               {"zero", "0"},
                               {"blank", " "},
                               {"map.child", "1"},
                               {"three", "3"},
                               {"minus", "-3"},
                               {"four", "4"},
                               {"word", "abc"},
                               {"state", "open"},
                               {"other", "open"},
                               {"one", "1"},
                               {"two", "2"},
                               {"n", "5"},
                               {"neg", "-2"},
                               {"seven", "7"}})
        set(path, value);
    data->insert(u"emptymap");
    // Each row: the attributes of the if, and "T" when it holds, "F" when not.
    const char* rows[][2] = {
        {"name=\"full\"", "T"},
        {"name=\"zero\"", "F"},
        {"name=\"blank\"", "F"},
        {"name=\"map\"", "T"},
        {"name=\"emptymap\"", "F"},
        {"name=\"missing\"", "F"},
        {"name=\"full\" opcode=\"NotEmpty\"", "T"},
        {"name=\"zero\" opcode=\"empty\"", "T"},
        {"name=\"missing\" opcode=\"empty\"", "T"},
        {"name=\"full\" opcode=\"empty\"", "F"},
        {"name=\"zero\" opcode=\"exist\"", "T"},
        {"name=\"missing\" opcode=\"exist\"", "F"},
        {"name=\"missing\" opcode=\"notexist\"", "T"},
        {"name=\"zero\" opcode=\"notexist\"", "F"},
        {"name=\"three\" opcode=\"odd\"", "T"},
        {"name=\"minus\" opcode=\"odd\"", "T"},
        {"name=\"four\" opcode=\"odd\"", "F"},
        {"name=\"four\" opcode=\"even\"", "T"},
        {"name=\"three\" opcode=\"ODD\"", "T"},
        // A text that is no number cannot be decided: neither branch holds.
        {"name=\"word\" opcode=\"even\"", "F"},
        {"name=\"state\" value=\"'open'\"", "T"}, // a value without an opcode: equal
        {"name=\"state\" opcode=\"equal\" value=\"'Open'\"", "F"},
        {"name=\"one\" value=\"1\"", "T"},
        // The value is an expression: a bare word is a variable.
        {"name=\"state\" opcode=\"equal\" value=\"other\"", "T"},
        {"name=\"state\" opcode=\"equal\" value=\"'other'\"", "F"},
        {"name=\"state\" opcode=\"equal\" value=\"open\"", "F"},
        {"name=\"state\" opcode=\"notequal\" value=\"'closed'\"", "T"},
        {"name=\"state\" opcode=\"notequal\" value=\"'open'\"", "F"},
        {"name=\"state\" opcode=\"notequal\" value=\"nothing.here\"", "T"},
        {"name=\"missing\" opcode=\"notequal\" value=\"x\"", "F"}, // undecidable
        {"name=\"n\" opcode=\"more\" value=\"4\"", "T"},
        {"name=\"n\" opcode=\"more\" value=\"5\"", "F"},
        {"name=\"n\" opcode=\"notmore\" value=\"5\"", "T"},
        {"name=\"n\" opcode=\"less\" value=\"6\"", "T"},
        {"name=\"n\" opcode=\"less\" value=\"5\"", "F"},
        {"name=\"n\" opcode=\"notless\" value=\"5\"", "T"},
        {"name=\"n\" opcode=\"more\"", "T"},
        {"name=\"neg\" opcode=\"less\"", "T"}, // against 0
        {"name=\"neg\" opcode=\"notless\"", "F"},
        {"name=\"seven\" opcode=\"firstof\" value=\"3\"", "T"},
        {"name=\"seven\" opcode=\"firstof\" value=\"2\"", "T"},
        {"name=\"seven\" opcode=\"firstof\" value=\"1\"", "F"}, // every remainder is 0
        {"name=\"seven\" opcode=\"firstof\" value=\"0\"", "F"},
        {"name=\"seven\" opcode=\"lastof\" value=\"7\"", "T"},
        {"name=\"seven\" opcode=\"lastof\" value=\"3\"", "F"},
        {"name=\"seven\" opcode=\"lastof\" value=\"-1\"", "T"},
        {"name=\"seven\" opcode=\"lastof\" value=\"0\"", "F"},
        // Needs a value: the tag is dropped, so its else has no if to follow.
        {"name=\"seven\" opcode=\"lastof\"", "<failed>"},
        {"name=\"one\" opcode=\"first\"", "T"},
        {"name=\"two\" opcode=\"first\"", "F"},
        {"name=\"two\" opcode=\"later\"", "T"},
        {"name=\"one\" opcode=\"later\"", "F"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(std::string("<tpl:if ") + row[0] + ">T<tpl:else>F</tpl:if>"), row[1]) << row[0];
    const char* numbers[][2] = {{"12", "T"}, {"-1", "T"}, {"+3.5", "T"},  {"0.", "T"},  {"7", "T"},   {"", "F"},
                                {"-", "F"},  {".5", "F"}, {"1.2.3", "F"}, {"1e5", "F"}, {"12a", "F"}, {" 1", "F"}};
    for (auto& row : numbers) {
        set("v", row[0]);
        EXPECT_EQ(renderText("<tpl:if name=\"v\" opcode=\"number\">T<tpl:else>F</tpl:if>"), row[1]) << row[0];
    }
}

TEST_F(TemplateConditionTest, FileOfIsTrueForAnotherExtension)
{
    const char* rows[][3] = {{"photo.JPG", "jpg", "F"},
                             {"photo.png", "jpg", "T"},
                             {"a.b/photo.png?x=1", "png", "F"},
                             {"a.b/photo.png?v=1.2", "jpg", "T"},
                             {"a.dir/readme", "txt", "F"},
                             {"a.dir\\readme", "txt", "F"}, // a folder's dot
                             {"noextension", "txt", "F"},
                             {".hidden", "txt", "T"},
                             {"photo.png", "", "F"}};
    for (auto& row : rows) {
        set("f", row[0]);
        EXPECT_EQ(renderText(std::string("<tpl:if name=\"f\" opcode=\"fileof\" value=\"'") + row[1] +
                             "'\">T<tpl:else>F</tpl:if>"),
                  row[2])
            << row[0] << " " << row[1];
    }
}

TEST_F(TemplateConditionTest, ChainsUnlessNestingAndTheRowId)
{
    std::string chain = "<tpl:if name=\"a\">A<tpl:elseif name=\"b\">B<tpl:elseif name=\"c\">C<tpl:else>E</tpl:if>";
    page("chain", chain);
    start();
    EXPECT_EQ(render("chain"), "E");
    set("b", "1");
    set("c", "1");
    EXPECT_EQ(render("chain"), "B") << "the cached chain is evaluated again";
    set("a", "1");
    EXPECT_EQ(render("chain"), "A");
    data->remove(u"a");
    data->remove(u"b");
    EXPECT_EQ(render("chain"), "C");

    set("word", "abc");
    EXPECT_EQ(renderText("<tpl:unless name=\"c\">U<tpl:else>E</tpl:unless>"), "E");
    EXPECT_EQ(renderText("<tpl:unless name=\"no\">U<tpl:else>E</tpl:unless>"), "U");
    // Undecidable is not false.
    EXPECT_EQ(renderText("<tpl:unless name=\"word\" opcode=\"odd\">U<tpl:else>E</tpl:unless>"), "E");
    EXPECT_EQ(renderText("<tpl:if name=\"c\">[<tpl:if name=\"b\">B<tpl:else>nb</tpl:if>]<tpl:else>na</tpl:if>"),
              "[nb]");
    EXPECT_EQ(renderText("<tpl:if name=\"c\">open"), "open") << "unclosed containers close at the end";

    set("ROWID", "2");
    EXPECT_EQ(renderText("<tpl:if>R</tpl:if>"), "R");
    EXPECT_EQ(renderText("<tpl:if/>R</tpl:if>"), "R"); // "/>" straight after the name opens
    EXPECT_EQ(renderText("<tpl:if opcode=\"first\">1<tpl:else>n</tpl:if>"), "n");
}

TEST_F(TemplateConditionTest, ParseErrorsFailTheRender)
{
    set("v", "1");
    for (const char* text : {"<tpl:if name=\"a\">x<tpl:else>y<tpl:else>z</tpl:if>",
                             "<tpl:if name=\"a\">x<tpl:else>y<tpl:elseif name=\"b\">z</tpl:if>", "x<tpl:else>y",
                             "<tpl:loop name=\"l\"><tpl:elseif name=\"b\"></tpl:loop>", "<tpl:if name=\"a\" />",
                             "<tpl:unless name=\"a\" />", "<tpl:if name=\"a\"></tpl:loop>", "</tpl:if>",
                             // an unknown opcode drops the tag; its closing tag has nothing to close
                             "a<tpl:if name=\"v\" opcode=\"bogus\">T</tpl:if>b"})
        EXPECT_EQ(renderText(text), "<failed>") << text;
    EXPECT_EQ(renderText("a<tpl:if name=\"v\" opcode=\"bogus\">T"), "aT");
}

} // namespace
