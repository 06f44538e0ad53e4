#include <gtest/gtest.h>

#include "host/CookieHeader.h"

using host::CookieHeader;

TEST(CookieHeaders, GiveNamesAndValuesInOrder)
{
    auto cookies = CookieHeader::parse("CSESSIONID=65f1a2b3c4d5e6; theme = dark ;lang=\"zh-CN\"");
    ASSERT_EQ(cookies.size(), 3u);
    EXPECT_EQ(cookies[0].name, "CSESSIONID");
    EXPECT_EQ(cookies[0].value, "65f1a2b3c4d5e6");
    EXPECT_EQ(cookies[1].name, "theme");
    EXPECT_EQ(cookies[1].value, "dark");
    EXPECT_EQ(cookies[2].value, "zh-CN");
}

TEST(CookieHeaders, SkipPiecesWithoutANameOrEqualsSign)
{
    auto cookies = CookieHeader::parse(";; flag; =orphan; a=; b=x=y");
    ASSERT_EQ(cookies.size(), 2u);
    EXPECT_EQ(cookies[0].name, "a");
    EXPECT_EQ(cookies[0].value, "");
    EXPECT_EQ(cookies[1].value, "x=y");
}

TEST(CookieHeaders, StopAtTheLimit)
{
    EXPECT_EQ(CookieHeader::parse("a=1; b=2; c=3", 2).size(), 2u);
    EXPECT_TRUE(CookieHeader::parse("").empty());
}
