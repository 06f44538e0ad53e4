#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tessel/core/XmlParser.h"

using namespace tessel;

namespace {

std::string narrow(const String& text)
{
    return text.toStdString();
}

// Walks the whole document: every tag, with its attributes read or skipped.
std::vector<std::string> tagsOf(XmlParser& parser, bool readAttrs = false)
{
    std::vector<std::string> tags;
    String name;
    while (parser.nextTag(name) && tags.size() < 100) {
        tags.push_back(narrow(name));
        if (name.empty() || name[0] == u'/')
            continue;
        if (readAttrs)
            parser.initAttrs();
        else
            parser.skipAttrs();
    }
    return tags;
}

std::vector<std::string> tagsOf(const char16_t* text, bool smart = false,
                                XmlParser::NAMECASE nameCase = XmlParser::CASE_KEEP)
{
    XmlParser parser(nameCase);
    parser.setSmart(smart);
    parser.setXml(text);
    return tagsOf(parser);
}

using Tags = std::vector<std::string>;

} // namespace

TEST(XmlParserTags, AttributeValuesAreDecodedAndRepeatedNamesKeepTheLast)
{
    XmlParser parser;
    parser.setXml(u"<p title=\"a&lt;b\" q = 'x &amp; y' n=1 n=\"2\" e=\"\" bare=>");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    parser.initAttrs();
    EXPECT_EQ(parser.getAttr(u"title"), u"a<b");
    EXPECT_EQ(parser.getAttr(u"q"), u"x & y");
    EXPECT_EQ(parser.getAttr(u"n"), u"2");
    EXPECT_TRUE(parser.getAttr(u"e").empty());
    // "=" right before ">" gives an empty value and does not eat the ">".
    EXPECT_TRUE(parser.getAttr(u"bare").empty());
    EXPECT_FALSE(parser.nextTag(name));
}

TEST(XmlParserTags, CommentsDoctypeProcessingInstructionsAndClosers)
{
    EXPECT_EQ(tagsOf(u"<!-- <x> --><!DOCTYPE html><a></a>"), (Tags{"a", "/a"}));
    // A later processing instruction is a tag without a name.
    EXPECT_EQ(tagsOf(u"<a><?php echo 1 ?></a>"), (Tags{"a", "", "/a"}));
    // "<" not followed by a tag character is plain text.
    EXPECT_EQ(tagsOf(u"a < b <1> <_x>"), (Tags{"_x"}));
    EXPECT_EQ(tagsOf(u"<%= value %>"), (Tags{"%"}));
}

TEST(XmlParserTags, OnlyALeadingDeclarationIsSkipped)
{
    // A "?>" inside the content must not swallow the tags before it.
    EXPECT_EQ(tagsOf(u"<a>x ?> y</a>"), (Tags{"a", "/a"}));
    EXPECT_EQ(tagsOf(u"<a/><b>?></b>"), (Tags{"a", "/a", "b", "/b"}));
    // Blanks and a byte order mark may come before the declaration.
    EXPECT_EQ(tagsOf(u"\xFEFF  <?xml version='1.0'?><r/>"), (Tags{"r", "/r"}));
}

TEST(XmlParserSelfClosing, GivesTheCloserOnceAfterAttributes)
{
    for (const char16_t* text : {u"<br/>", u"<br />", u"<br x=\"1\"/>", u"<br x=1/>", u"<br\n/>"}) {
        SCOPED_TRACE(String(text).toStdString());
        EXPECT_EQ(tagsOf(text), (Tags{"br", "/br"}));
        XmlParser parser;
        parser.setXml(text);
        EXPECT_EQ(tagsOf(parser, true), (Tags{"br", "/br"}));
    }
}

TEST(XmlParserSelfClosing, UnhandledSelfClosingTagLeavesNoCloserBehind)
{
    XmlParser parser;
    parser.setXml(u"<br/></p><i>");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"br");
    // Neither initAttrs nor skipAttrs: the tag is passed over.
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"/p");
    parser.skipAttrs();
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"i");
}

TEST(XmlParserSmartMode, ScriptAndStyleBodiesAreSkippedWhole)
{
    const char16_t* page = u"<script>if (a<b) x();</script><p>";
    EXPECT_EQ(tagsOf(page, true), (Tags{"script", "/script", "p"}));
    // Without it "<b" is a tag, whose skipped attributes run up to the
    // ">" of the closer.
    EXPECT_EQ(tagsOf(page, false), (Tags{"script", "b)", "p"}));
    EXPECT_EQ(tagsOf(u"<style>a<b{}</style><i>", true), (Tags{"style", "/style", "i"}));
    // The closer must be written as the opener: "</SCRIPT>" does not end a
    // body opened as "script", but does end one opened as "SCRIPT".
    EXPECT_EQ(tagsOf(u"<script>x</SCRIPT><b></script><i>", true), (Tags{"script", "/script", "i"}));
    EXPECT_EQ(tagsOf(u"<SCRIPT>a<b</SCRIPT><i>", true), (Tags{"SCRIPT", "/SCRIPT", "i"}));
    EXPECT_EQ(tagsOf(u"<Script>a<b</script><i>", true), (Tags{"Script", "/script", "i"}));
    // An unclosed body ends the walk.
    EXPECT_EQ(tagsOf(u"<script>a<b>", true), (Tags{"script"}));
}

TEST(XmlParserSmartMode, CdataIsSteppedOverOnlyInSmartMode)
{
    const char16_t* text = u"<a><![CDATA[ <b> ]]></a>";
    EXPECT_EQ(tagsOf(text, true), (Tags{"a", "/a"}));
    EXPECT_EQ(tagsOf(text, false), (Tags{"a", "b", "/a"}));
}

TEST(XmlParserText, TextIsTrimmedAndNotDecoded)
{
    XmlParser parser;
    parser.setXml(u"  a &amp; b  <x>");
    EXPECT_EQ(parser.nextText(), u"a &amp; b");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"x");
    parser.skipAttrs();
    // No "<" after the position: empty, and the position stays.
    int before = parser.getPosition();
    EXPECT_TRUE(parser.nextText().empty());
    EXPECT_EQ(parser.getPosition(), before);
}

TEST(XmlParserText, CdataContentAndTagsGiveTheirOwnResults)
{
    XmlParser parser;
    parser.setXml(u"<a><![CDATA[\n  1 < 2 ]]></a>");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    parser.skipAttrs();
    EXPECT_EQ(parser.nextText(), u"1 < 2");
    // At a tag the text is empty.
    EXPECT_TRUE(parser.nextText().empty());
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"/a");
}

TEST(XmlParserMalformed, UnclosedConstructsEndTheWalkSafely)
{
    EXPECT_EQ(tagsOf(u"<a><!-- never closed <b>"), (Tags{"a"}));
    EXPECT_EQ(tagsOf(u"<a><![CDATA[ <b>", true), (Tags{"a"}));
    EXPECT_EQ(tagsOf(u"<a></b"), (Tags{"a"}));
    EXPECT_EQ(tagsOf(u"<?xml"), (Tags{}));
    EXPECT_EQ(tagsOf(u"<a><?pi"), (Tags{"a"}));
    EXPECT_EQ(tagsOf(u"<"), (Tags{}));
    EXPECT_EQ(tagsOf(u"<a"), (Tags{"a"}));

    XmlParser parser;
    parser.setXml(u"<a><![CDATA[ open");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    parser.skipAttrs();
    EXPECT_TRUE(parser.nextText().empty());
}

TEST(XmlParserMalformed, UnclosedQuotesInAttributes)
{
    XmlParser parser;
    parser.setXml(u"<a x=\"open y=1><b>");
    String name;
    ASSERT_TRUE(parser.nextTag(name));
    parser.initAttrs();
    EXPECT_TRUE(parser.getAttr(u"x").empty());
    EXPECT_EQ(parser.getAttr(u"y"), u"1");
    ASSERT_TRUE(parser.nextTag(name));
    EXPECT_EQ(name, u"b");

    // Skipping steps over the unclosed quote and goes on.
    EXPECT_EQ(tagsOf(u"<a x='open><b>"), (Tags{"a", "b"}));
    EXPECT_EQ(tagsOf(u"<a x='1>2'><b>"), (Tags{"a", "b"}));

    XmlParser tail;
    tail.setXml(u"<a \"");
    ASSERT_TRUE(tail.nextTag(name));
    tail.initAttrs();
    EXPECT_TRUE(tail.getAttrs().empty());
    EXPECT_FALSE(tail.nextTag(name));
}
