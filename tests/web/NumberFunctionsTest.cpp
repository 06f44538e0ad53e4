#include <gtest/gtest.h>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using tessel::testing::call;

TEST(NumberFunctions, ByteSizePicksTheLargestUnitBelowTheSize)
{
    EXPECT_EQ(u"1023B", call(u"bytesize", {1023}));
    EXPECT_EQ(u"1.00K", call(u"bytesize", {1024}));
    EXPECT_EQ(u"1.50K", call(u"bytesize", {1536}));
    EXPECT_EQ(u"1.00M", call(u"bytesize", {1048576}));
    EXPECT_EQ(u"1024.00M", call(u"bytesize", {1073741824}));
    EXPECT_EQ(u"1.50G", call(u"bytesize", {1610612736.0}));
    EXPECT_EQ(u"0B", call(u"bytesize", {u"none"}));
    EXPECT_EQ(u"-2147483648B", call(u"bytesize", {-1e300})) << "a huge negative size stays in range";
}


TEST(NumberFunctions, CeilKeepsDoublesBeyondAnInteger)
{
    EXPECT_EQ(u"-2", call(u"ceil", {-2.9}));
    EXPECT_EQ(u"5000000000.00", call(u"ceil", {4999999999.5}));
}

TEST(NumberFunctions, RoundToWholeNumbersAndMultiples)
{
    EXPECT_EQ(u"3", call(u"round", {2.5}));
    EXPECT_EQ(u"2", call(u"round", {2.4}));
    EXPECT_EQ(u"-3", call(u"round", {-2.5})) << "half away from zero";
    EXPECT_EQ(u"-3", call(u"round", {-2.7}));
    EXPECT_EQ(u"1200", call(u"round", {1234, -2}));
    EXPECT_EQ(u"1300", call(u"round", {1250, -2}));
    EXPECT_EQ(u"-1300", call(u"round", {-1250, -2}));
    EXPECT_EQ(u"0", call(u"round", {1234, -400}));
    EXPECT_EQ(u"0", call(u"round", {1234, -2147483647 - 1}));
}

TEST(NumberFunctions, RoundToDecimalsGivesText)
{
    EXPECT_EQ(u"1.5", call(u"round", {1.46, 1}));
    EXPECT_EQ(u"1.50", call(u"round", {1.5, 2}));
    EXPECT_EQ(u"1.50", call(u"round", {1.5, 4})) << "zeros beyond the second decimal go";
    EXPECT_EQ(u"1.2346", call(u"round", {1.23456, 4}));
    EXPECT_EQ(u"2.00", call(u"round", {2, 3}));
    EXPECT_EQ(u"0.333333333333333", call(u"round", {1.0 / 3, 40})) << "at most fifteen decimals";
}

TEST(NumberFunctions, IncOfAddsOneOrTheSecondParameter)
{
    EXPECT_EQ(u"8", call(u"incof", {7}));
    EXPECT_EQ(u"4", call(u"incof", {7, -3}));
    EXPECT_EQ(u"2147483648.00", call(u"incof", {2147483647, 1})) << "no overflow";
}

TEST(NumberFunctions, FormatTakesOneNumericConversion)
{
    EXPECT_EQ(u"3.14", call(u"format", {3.14159, u"%0.2f"}));
    EXPECT_EQ(u"No. 007", call(u"format", {7, u"No. %03d"}));
    EXPECT_EQ(u"ff", call(u"format", {255, u"%x"}));
    EXPECT_EQ(u"FF", call(u"format", {255, u"%X"}));
    EXPECT_EQ(u"17", call(u"format", {15, u"%o"}));
    EXPECT_EQ(u"1.5e+00", call(u"format", {1.5, u"%.1e"}));
    EXPECT_EQ(u"0.25", call(u"format", {0.25, u"%g"}));
    EXPECT_EQ(u"50%", call(u"format", {50, u"%d%%"}));
    EXPECT_EQ(u"+12   ", call(u"format", {12, u"%+-6d"})) << "flags and widths";
    EXPECT_EQ(u"0x0ff", call(u"format", {255, u"%#05x"}));
}

TEST(NumberFunctions, FormatRefusesEveryOtherPattern)
{
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%s"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%n"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%d %d"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"no conversion"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"100%%"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%ld"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%*d"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%99999d"})) << "no unbounded widths";
    EXPECT_EQ(u"<none>", call(u"format", {7, u"%"}));
    EXPECT_EQ(u"<none>", call(u"format", {7, u""}));
}

TEST(NumberFunctions, RmbOfReadsAsFinancialWriting)
{
    EXPECT_EQ(u"零元整", call(u"rmbof", {0}));
    EXPECT_EQ(u"壹元零伍分", call(u"rmbof", {1.05}));
    EXPECT_EQ(u"壹拾贰元整", call(u"rmbof", {12}));
    EXPECT_EQ(u"壹拾元整", call(u"rmbof", {10}));
    EXPECT_EQ(u"壹佰元整", call(u"rmbof", {100}));
    EXPECT_EQ(u"壹拾元伍角", call(u"rmbof", {10.50}));
    EXPECT_EQ(u"伍角", call(u"rmbof", {0.5}));
    EXPECT_EQ(u"伍分", call(u"rmbof", {0.05}));
    EXPECT_EQ(u"叁角伍分", call(u"rmbof", {0.35}));
    EXPECT_EQ(u"壹亿元整", call(u"rmbof", {100000000}));
    EXPECT_EQ(u"壹万元整", call(u"rmbof", {10000}));
}

TEST(NumberFunctions, RmbOfWritesOneZeroForAGapOfZeros)
{
    EXPECT_EQ(u"壹仟零壹元整", call(u"rmbof", {1001}));
    EXPECT_EQ(u"壹万零壹拾元整", call(u"rmbof", {10010}));
    EXPECT_EQ(u"壹拾万壹仟元整", call(u"rmbof", {101000}));
    EXPECT_EQ(u"壹佰万零壹元整", call(u"rmbof", {1000001}));
    EXPECT_EQ(u"壹亿零壹元整", call(u"rmbof", {100000001}));
    EXPECT_EQ(u"壹亿零壹仟元整", call(u"rmbof", {100001000}));
    EXPECT_EQ(u"壹仟贰佰叁拾肆万伍仟陆佰柒拾捌元玖角", call(u"rmbof", {12345678.9}));
    EXPECT_EQ(u"玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分", call(u"rmbof", {999999999999.99}));
}

TEST(NumberFunctions, RmbOfNegativeAndTooLargeAmounts)
{
    EXPECT_EQ(u"负壹佰元零伍分", call(u"rmbof", {-100.05}));
    EXPECT_EQ(u"零元整", call(u"rmbof", {-0.001}));
    EXPECT_EQ(u"<none>", call(u"rmbof", {1000000000000.0})) << "万亿 has no place here";
    EXPECT_EQ(u"<none>", call(u"rmbof", {1e300}));
}

TEST(NumberFunctions, HexOfPadsToEightDigits)
{
    EXPECT_EQ(u"000000FF", call(u"hexof", {255}));
    EXPECT_EQ(u"", call(u"hexof", {0}));
    EXPECT_EQ(u"00000000", call(u"hexof", {0, 1}));
    EXPECT_EQ(u"", call(u"hexof", {-1}));
    EXPECT_EQ(u"FFFFFFFF", call(u"hexof", {-1, 1}));
}

namespace {

class NumberFunctionsInTemplates : public tessel::testing::WebTest {};

} // namespace

TEST_F(NumberFunctionsInTemplates, SizesRoundingAndCounting)
{
    set("size", "1536");
    set("price", "1.23456");
    set("n", "7");
    EXPECT_EQ("1.50K 1.2346 1 2 8 4 7",
              renderText("{size|bytesize} {price|round,4} {price|round} {price|ceil} {n|incof} {n|incof,'-3'} "
                         "{n|intval}"));
    set("total", "1234");
    EXPECT_EQ("1200", renderText("{total|round,'-2'}"));
}

TEST_F(NumberFunctionsInTemplates, FormattedAmounts)
{
    set("amount", "1234.05");
    set("id", "255");
    EXPECT_EQ("01234.05|No.255|000000FF|", renderText("{amount|format,'%08.2f'}|{id|format,'No.%d'}|{id|hexof}|"
                                                       "{amount|format,'%s'}"));
    EXPECT_EQ("大写：壹仟贰佰叁拾肆元零伍分", renderText("大写：{amount|rmbof}"));
}
