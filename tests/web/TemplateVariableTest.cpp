// Brace references, tpl:var and the expression syntax.
#include "WebTestSupport.h"

#include "tessel/web/ExpressionBuilder.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateVariableTest : public WebTest {};

TEST_F(TemplateVariableTest, EmptyTemplateRendersNothingAndSucceeds)
{
    EXPECT_EQ(renderText(""), "");
}

TEST_F(TemplateVariableTest, PlainTextPassesUnchanged)
{
    std::string html = "<html><!-- c --><body class=\"x\">caf\xC3\xA9 &amp; <b>bold</b></body></html>\n";
    EXPECT_EQ(renderText(html), html);
}

TEST_F(TemplateVariableTest, BracesWriteTheValueOrNothing)
{
    set("name", "Ada");
    set("supply.splnm", "Acme");
    EXPECT_EQ(renderText("Hello {name}, from {supply.splnm}{missing}!"), "Hello Ada, from Acme!");
}

TEST_F(TemplateVariableTest, BracesAroundSpacesColonsOrNothingStayText)
{
    std::string css = "a { color: red; } {} {a b} {x:y} {f(1)} {a;b}";
    EXPECT_EQ(renderText(css), css);
    EXPECT_EQ(renderText("{unclosed"), "{unclosed");
}

TEST_F(TemplateVariableTest, SpacesInsideQuotesKeepAReference)
{
    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    set("v", "x");
    EXPECT_EQ(renderText("[{'a b'}]"), "[a b]");
    EXPECT_EQ(renderText("[{v|join,'a}b',\"c d\"}]"), "[x-a}b-c d]");
}

TEST_F(TemplateVariableTest, TplVarWritesItsNameAndVanishesWithout)
{
    set("total", "42");
    EXPECT_EQ(renderText("<tpl:var name=\"total\"/>|<tpl:var name='total'>|<tpl:var/>|<tpl:var name=\"\"/>"), "42|42||");
}

TEST_F(TemplateVariableTest, ValuesAreNotEscaped)
{
    set("html", "<b>\"x\" & y</b>");
    EXPECT_EQ(renderText("{html}"), "<b>\"x\" & y</b>");
}

TEST_F(TemplateVariableTest, CapitalisedPrefixesComeOutInLowerCase)
{
    EXPECT_EQ(renderText("<ABC:item>x</ABC:item>"), "<abc:item>x</abc:item>");
    set("v", "1");
    EXPECT_EQ(renderText("<TPL:var name=\"v\"/>"), "1");
    EXPECT_EQ(renderText("<a:b>"), "<a:b>");
}

TEST_F(TemplateVariableTest, UnknownTplTagsVanish)
{
    EXPECT_EQ(renderText("a<tpl:nothing x=\"1\">b</tpl:nothing>c"), "abc");
}

TEST_F(TemplateVariableTest, ConstantsInExpressions)
{
    EXPECT_EQ(renderText("{12}|{-3}|{1.5}|{true}|{false}|{'lit'}|{\"dq\"}"), "12|-3|1.50|1|0|lit|dq");
}

TEST_F(TemplateVariableTest, ArithmeticOnVariables)
{
    set("a", "2");
    set("b", "3");
    set("h", "1.5");
    set("seven", "7");
    EXPECT_EQ(renderText("{a+b}"), "5");
    EXPECT_EQ(renderText("{a-b}"), "-1");
    EXPECT_EQ(renderText("{h*2}"), "3");
    EXPECT_EQ(renderText("{h*3}"), "4.50");
    EXPECT_EQ(renderText("{seven%0}"), "NaN");
    EXPECT_EQ(renderText("{seven%b}"), "1");
    EXPECT_EQ(renderText("{seven&b}"), "3");
}

TEST_F(TemplateVariableTest, OperatorsHaveNoPrecedence)
{
    set("a", "2");
    EXPECT_EQ(renderText("{a+1*3}"), "9");
    EXPECT_EQ(renderText("{1-a-a}"), "-3");
}

TEST_F(TemplateVariableTest, ModuloByMinusOneIsZero)
{
    set("min", "-2147483648");
    set("m1", "-1");
    EXPECT_EQ(renderText("{min%m1}"), "0");
}

TEST_F(TemplateVariableTest, MinusIsAnOperatorEvenInFront)
{
    // "-1" as a whole is a number; within an expression the "-" subtracts
    // from the empty start value.
    EXPECT_EQ(renderText("{-1}|{2*-1}"), "-1|-1");
}

TEST_F(TemplateVariableTest, CommaYieldsTheSecondAndSemicolonEndsTheExpression)
{
    set("a", "A");
    set("b", "B");
    EXPECT_EQ(renderText("{a,b}"), "B");
    EXPECT_EQ(renderText("{a;b}"), "{a;b}"); // a ";" is no reference in braces
    EXPECT_EQ(renderText("<tpl:var name=\"a;b\"/>"), "A");
}

TEST_F(TemplateVariableTest, OperatorsInsideQuotesAreText)
{
    EXPECT_EQ(renderText("<tpl:var name=\"'a+b|c,d'\"/>"), "a+b|c,d");
    EXPECT_EQ(renderText("<tpl:var name='\"it&apos;s\"'/>"), "it&apos;s");
}

TEST_F(TemplateVariableTest, EscapedQuoteDoesNotCloseAndKeepsItsBackslash)
{
    EXPECT_EQ(renderText("<tpl:var name=\"'a\\'+b'\"/>"), "a\\'+b");
}

TEST_F(TemplateVariableTest, BackslashEscapesOnlyTheNextCharacter)
{
    // The backslash before "d" does not reach the closing quote.
    EXPECT_EQ(renderText("<tpl:var name=\"'c:\\dir'+1\"/>"), "1");
}

TEST_F(TemplateVariableTest, PathsWithSlashStayLiteral)
{
    EXPECT_EQ(renderText("<tpl:var name=\"a/b\"/>"), "a/b");
}

TEST_F(TemplateVariableTest, UnknownFunctionRendersItsName)
{
    set("v", "x");
    EXPECT_EQ(renderText("{v|NoSuch}"), "unknown function nosuch");
    EXPECT_EQ(renderText("<tpl:var name=\"v|\"/>"), "unknown function ");
}

TEST_F(TemplateVariableTest, ApplicationFunctionsComeFirstAndGetThePipedValue)
{
    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    set("v", "ab");
    set("w", "W");
    EXPECT_EQ(renderText("{v|Twice}"), "abab");
    EXPECT_EQ(renderText("{v|join,w,'z'}"), "ab-W-z");
    EXPECT_EQ(renderText("{v|twice|twice}"), "abababab");
    EXPECT_EQ(dispatcher->asked, "twice;join;twice;twice;");
}

TEST_F(TemplateVariableTest, FunctionWithoutEnoughParametersWritesNothing)
{
    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    set("v", "ab");
    EXPECT_EQ(renderText("[{v|join,1}]"), "[]");
}

TEST_F(TemplateVariableTest, OperatorOnAFunctionResult)
{
    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    set("v", "4");
    EXPECT_EQ(renderText("{v|twice+1}"), "45");
}

TEST_F(TemplateVariableTest, VeryLongChainsStopGrowing)
{
    std::string chain = "1";
    for (int i = 0; i < 100000; i++)
        chain += "+1";
    EXPECT_EQ(renderText("<tpl:var name=\"" + chain + "\"/>"), std::to_string(1 + ExpressionBuilder::MAX_DEPTH));
}

TEST_F(TemplateVariableTest, ParseVarBuildsTheValueKinds)
{
    auto parse = [&](const char16_t* text, bool simple) {
        Ref<AnyValue> value;
        EXPECT_TRUE(context->parseVar(text, value.out(), simple));
        return value;
    };
    EXPECT_EQ(parse(u"", true)->getType(), AnyValue::TYPE_STRING);
    EXPECT_EQ(parse(u"12", true)->getType(), AnyValue::TYPE_INTEGER);
    EXPECT_EQ(parse(u"1.5", false)->getType(), AnyValue::TYPE_DOUBLE);
    EXPECT_EQ(parse(u"true", true)->getType(), AnyValue::TYPE_BOOL);
    EXPECT_EQ(parse(u"a.b", true)->getType(), AnyValue::TYPE_VARIANT);
    EXPECT_EQ(parse(u"a/b", true)->getType(), AnyValue::TYPE_STRING);
    EXPECT_EQ(parse(u"'a.b'", true)->getType(), AnyValue::TYPE_STRING);
    EXPECT_EQ(parse(u"a+1", false)->getType(), AnyValue::TYPE_FUNCTION);
    EXPECT_EQ(parse(u"-.5", true)->getType(), AnyValue::TYPE_VARIANT); // not a number
    EXPECT_EQ(*parse(u"'unterminated", true)->getText(), u"unterminated");
    EXPECT_EQ(*parse(u"'", true)->getText(), u"");
    EXPECT_FALSE(context->parseVar(u"x", nullptr, true));
}

} // namespace
