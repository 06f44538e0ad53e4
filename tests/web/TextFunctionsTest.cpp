#include <gtest/gtest.h>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using tessel::testing::call;

TEST(TextFunctions, LeftKeepsTheWholeTextForCountsOutOfRange)
{
    EXPECT_EQ(u"ab", call(u"left", {u"abcde", 2}));
    EXPECT_EQ(u"abcde", call(u"left", {u"abcde", 0}));
    EXPECT_EQ(u"abcde", call(u"left", {u"abcde", -1}));
    EXPECT_EQ(u"abcde", call(u"left", {u"abcde", 5}));
    EXPECT_EQ(u"<none>", call(u"left", {u"", 2}));
    EXPECT_EQ(u"<none>", call(u"left", {u"abcde"})) << "a count is required";
}

TEST(TextFunctions, RightGivesNothingOfTheTextForCountsBelowOne)
{
    EXPECT_EQ(u"de", call(u"right", {u"abcde", 2}));
    EXPECT_EQ(u"", call(u"right", {u"abcde", 0}));
    EXPECT_EQ(u"abcde", call(u"right", {u"abcde", 9}));
    EXPECT_EQ(u"<none>", call(u"right", {u"", 1}));
}

TEST(TextFunctions, SubstrRunsToTheEndWithoutALength)
{
    EXPECT_EQ(u"cde", call(u"substr", {u"abcde", 2}));
    EXPECT_EQ(u"bc", call(u"substr", {u"abcde", 1, 2}));
    EXPECT_EQ(u"cde", call(u"substr", {u"abcde", 2, 0}));
    EXPECT_EQ(u"", call(u"substr", {u"abcde", 9}));
    EXPECT_EQ(u"<none>", call(u"substr", {u"", 0}));
}

TEST(TextFunctions, TrimWidthEndsLongTextsWithTheSuffix)
{
    EXPECT_EQ(u"ab...", call(u"trimwidth", {u"abcde", 5}));
    EXPECT_EQ(u"abcde", call(u"trimwidth", {u"abcde", 6}));
    EXPECT_EQ(u"abc~", call(u"trimwidth", {u"abcdefg", 4, u"~"}));
    EXPECT_EQ(u"abcde", call(u"trimwidth", {u"abcde", 0}));
    EXPECT_EQ(u"订单…", call(u"trimwidth", {u"订单编号", 3, u"…"}));
}

TEST(TextFunctions, TrimWidthWithoutRoomForTheSuffixCutsTheText)
{
    EXPECT_EQ(u"ab", call(u"trimwidth", {u"abcdef", 2}));
    EXPECT_EQ(u"abc", call(u"trimwidth", {u"abcdef", 3}));
}



TEST(TextFunctions, UrlEncodeWritesUtf8Bytes)
{
    EXPECT_EQ(u"a+b", call(u"urlencode", {u"a b"}));
    EXPECT_EQ(u"Az09-._", call(u"urlencode", {u"Az09-._"}));
    EXPECT_EQ(u"%E4%B8%AD%E6%96%87", call(u"urlencode", {u"中文"}));
    EXPECT_EQ(u"a%26b%3Dc%2F%25", call(u"urlencode", {u"a&b=c/%"}));
    EXPECT_EQ(u"%F0%9F%98%80", call(u"urlencode", {u"\U0001F600"})) << "a surrogate pair is one character";
    EXPECT_EQ(u"<none>", call(u"urlencode", {u""}));
}

TEST(TextFunctions, AttrOfQuotesAnEncodedValue)
{
    EXPECT_EQ(u"value=\"12\"", call(u"attrof", {u"12", u"value"}));
    EXPECT_EQ(u"title=\"&quot; onclick=&quot;x()\"", call(u"attrof", {u"\" onclick=\"x()", u"title"}));
    EXPECT_EQ(u"<none>", call(u"attrof", {u"", u"value"}));
    EXPECT_EQ(u"<none>", call(u"attrof", {u"12", u""}));
}


namespace {

class TextFunctionsInTemplates : public tessel::testing::WebTest {};

} // namespace

TEST_F(TextFunctionsInTemplates, CutAndCase)
{
    set("title", "Purchase order 2011");
    EXPECT_EQ("Purchase|2011|order|Purchas...|PURCHASE ORDER 2011|purchase order 2011",
              renderText("{title|left,8}|{title|right,4}|{title|substr,9,5}|{title|trimwidth,10}|"
                         "{title|uppercase}|{title|lowercase}"));
    set("goods", "订单编号");
    EXPECT_EQ("订单…", renderText("{goods|trimwidth,3,'…'}"));
}

TEST_F(TextFunctionsInTemplates, EncodingForHtmlAndUrls)
{
    set("name", "<Li & Wang>");
    set("city", "上海 浦东");
    EXPECT_EQ("<b>&lt;Li &amp; Wang&gt;</b>", renderText("<b>{name|htmlencode}</b>"));
    EXPECT_EQ("<a href=\"find.htm?city=%E4%B8%8A%E6%B5%B7+%E6%B5%A6%E4%B8%9C\">",
              renderText("<a href=\"find.htm?city={city|urlencode}\">"));
    EXPECT_EQ("<input value=\"&lt;Li &amp; Wang&gt;\">", renderText("<input {name|attrof,'value'}>"));
    EXPECT_EQ("<input >", renderText("<input {missing|attrof,'value'}>"));
}
