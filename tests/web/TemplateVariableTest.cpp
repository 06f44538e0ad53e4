// Brace references, tpl:var and the expression syntax.
#include "WebTestSupport.h"

#include "tessel/web/ExpressionBuilder.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateVariableTest : public WebTest {};

TEST_F(TemplateVariableTest, TextReferencesAndExpressionsRenderTheirValues)
{
    Ref<TestDispatcher> dispatcher = new TestDispatcher();
    context = new HttpContext(dispatcher);
    for (auto [path, value] : {std::pair{"name", "Ada"},
                               {"supply.splnm", "Acme"},
                               {"v", "x"},
                               {"total", "42"},
                               {"html", "<b>\"x\" & y</b>"},
                               {"a", "2"},
                               {"b", "3"},
                               {"h", "1.5"},
                               {"seven", "7"},
                               {"min", "-2147483648"},
                               {"m1", "-1"},
                               {"A", "A"},
                               {"B", "B"},
                               {"ab", "ab"},
                               {"four", "4"}})
        set(path, value);
    const char* rows[][2] = {
        {"", ""},
        {"<html><!-- c --><body class=\"x\">caf\xC3\xA9 &amp; <b>bold</b></body></html>\n",
         "<html><!-- c --><body class=\"x\">caf\xC3\xA9 &amp; <b>bold</b></body></html>\n"},
        {"Hello {name}, from {supply.splnm}{missing}!", "Hello Ada, from Acme!"},
        {"a { color: red; } {} {a b} {x:y} {f(1)} {a;b}", "a { color: red; } {} {a b} {x:y} {f(1)} {a;b}"},
        {"{unclosed", "{unclosed"},
        {"[{'a b'}]", "[a b]"},
        {"[{v|join,'a}b',\"c d\"}]", "[x-a}b-c d]"},
        {"<tpl:var name=\"total\"/>|<tpl:var name='total'>|<tpl:var/>|<tpl:var name=\"\"/>", "42|42||"},
        {"{html}", "<b>\"x\" & y</b>"}, // values are not escaped
        {"<ABC:item>x</ABC:item>", "<abc:item>x</abc:item>"},
        {"<TPL:var name=\"total\"/>", "42"},
        {"<a:b>", "<a:b>"},
        {"a<tpl:nothing x=\"1\">b</tpl:nothing>c", "abc"},
        {"a</tpl:var></tpl:else></tpl:whatever>b", "ab"},
        {"{12}|{-3}|{1.5}|{true}|{false}|{'lit'}|{\"dq\"}", "12|-3|1.50|1|0|lit|dq"},
        {"{a+1*3}|{1-a-a}", "9|-3"}, // no precedence
        {"{min%m1}", "0"},
        // "-1" as a whole is a number; within an expression the "-"
        // subtracts from the empty start value.
        {"{-1}|{2*-1}", "-1|-1"},
        {"{A,B}", "B"},
        {"<tpl:var name=\"A;B\"/>", "A"},
        {"<tpl:var name=\"'a+b|c,d'\"/>", "a+b|c,d"},
        {"<tpl:var name='\"it&apos;s\"'/>", "it&apos;s"},
        {"<tpl:var name=\"'a\\'+b'\"/>", "a\\'+b"},
        {"<tpl:var name=\"'c:\\dir'+1\"/>", "1"}, // the backslash does not reach the quote
        {"<tpl:var name=\"a/b\"/>", "a/b"},
        {"{v|NoSuch}", "unknown function nosuch"},
        {"<tpl:var name=\"v|\"/>", "unknown function "},
        {"[{ab|join,1}]", "[]"}, // too few parameters
        {"{four|twice+1}", "45"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(row[0]), row[1]) << row[0];
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
    struct Row {
        const char16_t* text;
        bool simple;
        int type;
    } rows[] = {{u"", true, AnyValue::TYPE_STRING},      {u"12", true, AnyValue::TYPE_INTEGER},
                {u"1.5", false, AnyValue::TYPE_DOUBLE},  {u"true", true, AnyValue::TYPE_BOOL},
                {u"a.b", true, AnyValue::TYPE_VARIANT},  {u"a/b", true, AnyValue::TYPE_STRING},
                {u"'a.b'", true, AnyValue::TYPE_STRING}, {u"a+1", false, AnyValue::TYPE_FUNCTION},
                {u"-.5", true, AnyValue::TYPE_VARIANT}}; // not a number
    for (const Row& row : rows)
        EXPECT_EQ(parse(row.text, row.simple)->getType(), row.type) << String(row.text).toStdString();
    EXPECT_EQ(*parse(u"'unterminated", true)->getText(), u"unterminated");
    EXPECT_EQ(*parse(u"'", true)->getText(), u"");
    EXPECT_FALSE(context->parseVar(u"x", nullptr, true));
}

} // namespace
