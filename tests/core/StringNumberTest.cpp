// Reading numbers and booleans out of texts, and classifying characters.

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "TestSupport.h"

using namespace tessel;

TEST(StringNumbers, IntegersSkipBlanksAndStopAtTheFirstNonDigit)
{
    EXPECT_EQ(String(u"  42abc").toInteger(), 42);
    EXPECT_EQ(String(u"abc").toInteger(), 0);
    EXPECT_EQ(String(u"-17").toInteger(), -17);
    EXPECT_EQ(String(u"+5").toInteger(), 5);
    EXPECT_EQ(String(u"\t\r\n\x01 7").toInteger(), 7);
    EXPECT_EQ(String(u"- 7").toInteger(), 0);
    EXPECT_EQ(String(u"12.9").toInteger(), 12);
    EXPECT_EQ(String(u"id=305").toInteger(3), 305);
    EXPECT_EQ(String(u"305").toInteger(-2), 305);
    EXPECT_EQ(String(u"305").toInteger(3), 0) << "a start at the end";
    EXPECT_EQ(String().toInteger(), 0);
    EXPECT_EQ(String(u"99999999999").toInteger(), INT_MAX) << "out of range clamps";
    EXPECT_EQ(String(u"-99999999999").toInteger(), INT_MIN);
    EXPECT_EQ(String(u"5000000000").toLong(), 5000000000LL);
    EXPECT_EQ(String(u"１２").toInteger(), 0) << "only ASCII digits";

    EXPECT_EQ(toInteger(u"  -8 apples"), -8);
    EXPECT_EQ(toInteger(u"   "), 0);
    EXPECT_EQ(toInteger(nullptr), 0);
}

TEST(StringNumbers, DoublesAsTheCRuntimeReadsThem)
{
    EXPECT_DOUBLE_EQ(String(u"  3.5e2x").toDouble(), 350.0);
    EXPECT_DOUBLE_EQ(String(u"-0.125").toDouble(), -0.125);
    EXPECT_DOUBLE_EQ(String(u".5").toDouble(), 0.5);
    EXPECT_DOUBLE_EQ(String(u"1,234.5").toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(String(u"price 9.99").toDouble(6), 9.99);
    EXPECT_DOUBLE_EQ(String(u"9.99").toDouble(4), 0.0);
    EXPECT_DOUBLE_EQ(String(u"abc").toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(String().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(toDouble(u"\t2.25 kg"), 2.25);
    EXPECT_DOUBLE_EQ(toDouble(u""), 0.0);
    EXPECT_DOUBLE_EQ(toDouble(nullptr), 0.0);
}

TEST(StringNumbers, PlainDecimalsGiveStrtodsValueToTheLastBit)
{
    const char* const texts[] = {
        "12.50",
        "0.1",
        "0.3",
        "2.675",
        "-0",
        "-0.00",
        "+7",
        "7.",
        ".5",
        "+.5",
        "-.125",
        "999999999999999",
        "99999999999999.9",
        "0.000000000000001",
        "1234567890.12345",
        "9007199254740993",
        "1234567890123456",
        "0000000000000001.5",
        "1.2.3",
        "12e3",
        "1e-7",
        "0x1A",
        "inf",
        "-nan",
        ".",
        "-",
        "+",
        "",
        "123456.789012345",
        "4.35",
        "1.005",
        "-2.5-",
        "3..",
    };
    for (const char* text : texts) {
        double expected = std::strtod(text, nullptr);
        double read = String::fromUTF8(text).toDouble();
        EXPECT_EQ(std::memcmp(&expected, &read, sizeof expected), 0) << text << ": " << read << " for " << expected;
    }
}

TEST(StringNumbers, BooleansAreTrueForAnyTwoCharactersOrOneThatIsNotZeroOrSpace)
{
    for (const char16_t* falseText : {u"", u"0", u" "}) {
        EXPECT_FALSE(String(falseText).toBool()) << String(falseText).toStdString();
        EXPECT_FALSE(toBool(falseText));
    }
    for (const char16_t* trueText : {u"1", u"x", u"00", u"false", u"no", u"  "}) {
        EXPECT_TRUE(String(trueText).toBool()) << String(trueText).toStdString();
        EXPECT_TRUE(toBool(trueText));
    }
    EXPECT_FALSE(String().toBool());
    EXPECT_FALSE(toBool(nullptr));
    EXPECT_FALSE(String(u"ab0").toBool(2));
    EXPECT_TRUE(String(u"ab0").toBool(1));
    EXPECT_FALSE(String(u"ab").toBool(2)) << "a start past the end";
    EXPECT_TRUE(String(u"ab").toBool(-1));
}
