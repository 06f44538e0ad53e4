#include <gtest/gtest.h>

#include "FunctionCall.h"

using namespace tessel;
using tessel::testing::call;
using tessel::testing::Path;

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

TEST(TextFunctions, LetterCase)
{
    EXPECT_EQ(u"ABC-1", call(u"uppercase", {u"aBc-1"}));
    EXPECT_EQ(u"abc-1", call(u"lowercase", {u"aBC-1"}));
    EXPECT_EQ(u"<none>", call(u"uppercase", {u""}));
    EXPECT_EQ(u"<none>", call(u"lowercase", {u""}));
}

TEST(TextFunctions, HtmlEncodeEscapesMarkupAndQuotes)
{
    EXPECT_EQ(u"&lt;b&gt; &amp; &quot;x&quot; &#39;y&#39;", call(u"htmlencode", {u"<b> & \"x\" 'y'"}));
    EXPECT_EQ(u"<none>", call(u"htmlencode", {u""}));
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

TEST(TextFunctions, ParametersAreReadFromTheData)
{
    Ref<Value> data = new Value();
    data->insert(u"order.name", u"Purchase order");
    data->insert(u"size", u"8");
    EXPECT_EQ(u"Purchase", call(u"left", {Path{u"order.name"}, Path{u"size"}}, data));
    EXPECT_EQ(u"<none>", call(u"left", {Path{u"order.missing"}, 3}, data));
}
