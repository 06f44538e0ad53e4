#include <gtest/gtest.h>

#include "Text.h"
#include "host/QueryString.h"

using host::FormField;
using host::QueryString;

namespace {

std::vector<FormField> parse(std::string_view query)
{
    std::vector<FormField> fields;
    QueryString::parse(query, fields);
    return fields;
}

} // namespace

TEST(QueryStringPairs, KeepArrivalOrderAndRepeatedNames)
{
    auto fields = parse("b=2&a=1&b=3");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(text(fields[0].name), "b");
    EXPECT_EQ(text(fields[0].value), "2");
    EXPECT_EQ(text(fields[1].name), "a");
    EXPECT_EQ(text(fields[2].name), "b");
    EXPECT_EQ(text(fields[2].value), "3");
}

TEST(QueryStringPairs, SkipEmptyPiecesAndTakeBareNamesAsEmptyValues)
{
    auto fields = parse("&a=1&&flag&=x&");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(text(fields[0].name), "a");
    EXPECT_EQ(text(fields[1].name), "flag");
    EXPECT_TRUE(fields[1].value.empty());
    EXPECT_TRUE(fields[2].name.empty());
    EXPECT_EQ(text(fields[2].value), "x");
}

TEST(QueryStringPairs, SplitAtTheFirstEqualsSignOnly)
{
    auto fields = parse("expr=a=b");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(text(fields[0].value), "a=b");
}

TEST(QueryStringPairs, StopAtTheFieldLimit)
{
    std::vector<FormField> fields;
    EXPECT_FALSE(QueryString::parse("a=1&b=2&c=3", fields, 2));
    EXPECT_EQ(fields.size(), 2u);
    fields.clear();
    EXPECT_TRUE(QueryString::parse("a=1&b=2", fields, 2));
}

TEST(QueryStringDecoding, PlusIsASpaceAndPercentIsAByte)
{
    auto fields = parse("q=a+b%20c%2Bd&%41%62=%3d");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(text(fields[0].value), "a b c+d");
    EXPECT_EQ(text(fields[1].name), "Ab");
    EXPECT_EQ(text(fields[1].value), "=");
}

TEST(QueryStringDecoding, EncodedSeparatorsDoNotSplit)
{
    auto fields = parse("a=1%262%3D3");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(text(fields[0].value), "1&2=3");
}

TEST(QueryStringDecoding, IncompletePercentStaysAsItIs)
{
    EXPECT_EQ(QueryString::unescape("100%"), "100%");
    EXPECT_EQ(QueryString::unescape("%zz%4"), "%zz%4");
    EXPECT_EQ(QueryString::unescape("%4g%41"), "%4gA");
}

TEST(QueryStringDecoding, BytesAreReadAsUtf8)
{
    // 采购订单 in UTF-8, percent-encoded as a browser sends it.
    auto fields = parse("title=%E9%87%87%E8%B4%AD%E8%AE%A2%E5%8D%95");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].value, u"\u91C7\u8D2D\u8BA2\u5355");
}

TEST(QueryStringDecoding, InvalidUtf8BecomesReplacementCharacters)
{
    auto fields = parse("a=x%FFy&b=%E9%87");
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].value, u"x\uFFFDy");
    EXPECT_EQ(fields[1].value, u"\uFFFD");
}

TEST(QueryStringDecoding, NulBytesNeverEndTheText)
{
    auto fields = parse("a=x%00y");
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].value.size(), 3);
    EXPECT_EQ(fields[0].value, u"x\uFFFDy");
}

TEST(QueryStringDecoding, PathDecodingKeepsPlus)
{
    EXPECT_EQ(QueryString::unescapePath("a+b%20c"), "a+b c");
}
