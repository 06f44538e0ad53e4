#include <gtest/gtest.h>

#include <climits>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using tessel::testing::apply;
using tessel::testing::call;
using tessel::testing::textOf;

TEST(ArithmeticFunctions, WholeResultsAreIntegers)
{
    EXPECT_EQ(u"5", apply(u'+', {2, 3}));
    EXPECT_EQ(u"3", apply(u'*', {1.5, 2}));
    EXPECT_EQ(u"-1", apply(u'-', {2, 3}));
    EXPECT_EQ(u"3.75", apply(u'*', {1.5, 2.5}));
    EXPECT_EQ(u"0.30", apply(u'+', {0.1, 0.2})) << "a double is written with two decimals";
    EXPECT_EQ(u"5", apply(u'+', {u"2", u"3"}));
}

TEST(ArithmeticFunctions, ResultsBeyondAnIntegerStayDoubles)
{
    EXPECT_EQ(u"4294967294.00", apply(u'+', {INT_MAX, INT_MAX}));
    EXPECT_EQ(u"-4294967296.00", apply(u'*', {INT_MIN, 2}));
    EXPECT_EQ(u"2147483647", apply(u'-', {INT_MAX, 0}));
}

TEST(ArithmeticFunctions, ModuloOfIntegers)
{
    EXPECT_EQ(u"1", apply(u'%', {7, 3}));
    EXPECT_EQ(u"NaN", apply(u'%', {7, 0}));
    EXPECT_EQ(u"0", apply(u'%', {INT_MIN, -1})) << "never a trap";
    EXPECT_EQ(u"-1", apply(u'%', {-7, 3}));
    EXPECT_EQ(u"1", apply(u'%', {7.9, 3.2})) << "both taken as integers";
}

TEST(ArithmeticFunctions, BitwiseAnd)
{
    EXPECT_EQ(u"4", apply(u'&', {6, 12}));
    EXPECT_EQ(u"0", apply(u'&', {1, 2}));
}

TEST(ArithmeticFunctions, OperatorsNeedTwoValues)
{
    EXPECT_EQ(u"<none>", apply(u'+', {2}));
    EXPECT_EQ(u"<no operator>", apply(u'/', {6, 3}));
    EXPECT_EQ(nullptr, BuiltinFunctions::createOperator(u'|'));
}

TEST(UnknownFunctions, NameTheUnknownName)
{
    EXPECT_EQ(u"unknown function shout", textOf(BuiltinFunctions::createUnknown(u"shout"), {}));
    EXPECT_EQ(u"unknown function shout", textOf(BuiltinFunctions::createUnknown(u"shout"), {u"extra"}));
}

TEST(BuiltinTable, FortyFunctionsByExactName)
{
    const char16_t* names[] = {
        u"int2date", u"date2int", u"dateof", u"timeof", u"bytesize", u"intval", u"ceil", u"round",
        u"incof", u"attrof", u"firstof", u"lastof", u"first", u"later", u"laterof", u"valueof",
        u"valueinc", u"evenif", u"oddif", u"equalif", u"emptyif", u"moreif", u"lessif", u"numberif",
        u"iif", u"unless", u"left", u"right", u"substr", u"trimwidth", u"uppercase", u"lowercase",
        u"htmlencode", u"urlencode", u"format", u"rmbof", u"longdate", u"shortdate", u"smartdate", u"hexof",
    };
    for (const char16_t* name : names) {
        Ref<HttpFunction> function;
        EXPECT_TRUE(BuiltinFunctions::create(name, function.out())) << std::u16string(name).size();
        ASSERT_TRUE(function);
        EXPECT_EQ(1u, function->refCount());
        EXPECT_EQ(0, function->paramCount());
    }
    Ref<HttpFunction> none;
    EXPECT_FALSE(BuiltinFunctions::create(u"Left", none.out())) << "names are exact";
    EXPECT_FALSE(BuiltinFunctions::create(u"stateof", none.out()));
    EXPECT_FALSE(BuiltinFunctions::create(u"", none.out()));
    EXPECT_FALSE(BuiltinFunctions::create(u"left", nullptr));
}

TEST(BuiltinTable, DefaultsAreAppendedOnce)
{
    Ref<HttpFunction> function;
    ASSERT_TRUE(BuiltinFunctions::create(u"trimwidth", function.out()));
    function->addParam(new AnyValue(u"abcdef"));
    EXPECT_FALSE(function->isValid());
    function->addParam(new AnyValue(4));
    EXPECT_TRUE(function->isValid());
    EXPECT_TRUE(function->isValid());
    EXPECT_EQ(3, function->paramCount());
    EXPECT_EQ(u"<unknown>", call(u"nosuch", {1}));
}

namespace {

class OperatorFunctionsInTemplates : public tessel::testing::WebTest {};

} // namespace

TEST_F(OperatorFunctionsInTemplates, ArithmeticOnTheData)
{
    set("a", "6");
    set("b", "4");
    set("price", "2.5");
    set("zero", "0");
    EXPECT_EQ("10 2 24 4 2 NaN 15.00", renderText("{a+b} {a-b} {a*b} {a&b} {a%b} {a%zero} {price*a|round,2}"));
    EXPECT_EQ("15 壹拾伍元整", renderText("{price*a} {price*a|rmbof}"));
    EXPECT_EQ("unknown function shout", renderText("{a|shout}"));
}
