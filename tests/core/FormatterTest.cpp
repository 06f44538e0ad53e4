// printf-style formatting into UTF-16: every conversion with its flags,
// widths and precisions agrees with the C library, texts and characters are
// UTF-16, and String::format grows to whatever the output needs.

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

#include "TestSupport.h"

using namespace tessel;
using testing_support::units;

namespace {

std::u16string widen(const std::string& narrow)
{
    return std::u16string(narrow.begin(), narrow.end());
}

// The same conversion through String::format and through snprintf.
template <class... Args>
void expectAsCLibrary(const char* pattern, Args... args)
{
    char expected[512];
    std::snprintf(expected, sizeof expected, pattern, args...);
    std::u16string widePattern = widen(pattern);
    String text;
    text.format(widePattern.c_str(), args...);
    EXPECT_EQ(units(text), widen(expected)) << "pattern " << pattern;
}

} // namespace

TEST(Format, IntegerConversionsWithFlagsWidthsAndPrecisions)
{
    for (const char* pattern : {"%d", "%i", "%5d", "%-5d|", "%05d", "%+d", "% d", "%.3d", "%8.3d", "%-+8d|", "%+05i"}) {
        expectAsCLibrary(pattern, 42);
        expectAsCLibrary(pattern, -42);
        expectAsCLibrary(pattern, 0);
    }
    expectAsCLibrary("%d %i", INT32_MIN, INT32_MAX);
    for (const char* pattern : {"%u", "%x", "%X", "%o", "%#x", "%#X", "%#o", "%08x", "%-8X|", "%.6o", "%#10.4x"}) {
        expectAsCLibrary(pattern, 48879u);
        expectAsCLibrary(pattern, 0u);
        expectAsCLibrary(pattern, 4294967295u);
    }
    expectAsCLibrary("%ld %lu %lx", -1234567890123L, 1234567890123UL, 0xDEADBEEFCAFEUL);
    expectAsCLibrary("%lld %llu %llX", static_cast<long long>(INT64_MIN), static_cast<unsigned long long>(UINT64_MAX),
                     0x1234567890ABCDEFULL);
    expectAsCLibrary("%hd %hu %hhd %hhx", 70000, 70000, 300, 511);
    expectAsCLibrary("%zu %jd %td", static_cast<size_t>(123456789012), static_cast<intmax_t>(-5),
                     static_cast<ptrdiff_t>(7));

    String windows;
    windows.format(u"%I64d|%I64u|%I32d", static_cast<int64_t>(-5000000000), static_cast<uint64_t>(18000000000u), 7);
    EXPECT_EQ(windows, u"-5000000000|18000000000|7");
}

TEST(Format, FloatingConversionsRoundAsTheCLibraryDoes)
{
    for (const char* pattern : {"%f", "%e", "%E", "%g", "%G", "%10.3f", "%-10.2e|", "%+.4g", "%010.2f", "% .0f",
                                "%#.0f", "%#g", "%.10g", "%F", "%a"}) {
        for (double value : {0.0, -0.0, 3.14159265358979, -2.5, 1e-7, 123456789.125, 1e300})
            expectAsCLibrary(pattern, value);
    }
    // The formats that SQL text is written with: amounts, quantities, prices.
    for (const char* pattern : {"%0.2f", "%0.4f", "%0.8f"}) {
        for (double value : {2.675, 1.005, 0.125, 0.375, -0.005, 1234.56785, 0.000000005, 0.00000001, 99999999.995,
                             -1e-9, 1.0 / 3.0, 2.0 / 3.0, 1e15 + 0.3})
            expectAsCLibrary(pattern, value);
    }
    String amounts;
    amounts.format(u"%0.2f|%0.2f|%0.2f|%0.2f", 2.675, 0.125, 1.005, 0.375);
    EXPECT_EQ(amounts, u"2.67|0.12|1.00|0.38") << "binary values, correctly rounded, ties to even";
    expectAsCLibrary("%Lf %.3Le", 2.5L, 1234.5678L);
    expectAsCLibrary("%f %e %g", std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN());
}

TEST(Format, HugeWidthsAndPrecisionsAreCapped)
{
    const int cap = 1 << 20;
    String text;
    text.format(u"%99999999999999999999d|", 7);
    EXPECT_EQ(text.size(), cap + 1);
    EXPECT_EQ(text.getAt(cap - 1), u'7');
    text.format(u"%*d|", INT_MIN, 7);
    EXPECT_EQ(text.size(), cap + 1);
    EXPECT_EQ(text.getAt(0), u'7') << "a negative width aligns left";
    text.format(u"%.99999999999s|", u"abc");
    EXPECT_EQ(text, u"abc|");
    text.format(u"%.*s|%.*d", INT_MIN, u"abc", -5, 42);
    EXPECT_EQ(text, u"abc|42") << "a negative precision counts as omitted";
}

TEST(Format, TextsAndCharactersAreUtf16)
{
    String text;
    text.format(u"%s|%10s|%-6s|%.2s|%ls", u"中文", u"右对齐", u"左", u"截断文字", u"wide");
    EXPECT_EQ(text, u"中文|       右对齐|左     |截断|wide");
    text.format(u"%c%c%3c|%-3c|", u'中', u'a', u'b', u'c');
    EXPECT_EQ(text, u"中a  b|c  |");
    text.format(u"%hs and %S", "\xE4\xB8\xAD utf-8", "narrow");
    EXPECT_EQ(text, u"中 utf-8 and narrow");
    text.format(u"%s|%hs", static_cast<const char16_t*>(nullptr), static_cast<const char*>(nullptr));
    EXPECT_EQ(text, u"(null)|(null)");
    text.format(u"100%% of %d%%", 5);
    EXPECT_EQ(text, u"100% of 5%");
}

TEST(Format, OutputOfAnyLengthReplacesTheContent)
{
    String text;
    text.format(u"%d-%s", 7, u"text");
    EXPECT_EQ(text, u"7-text");

    std::u16string longText(5000, u'字');
    text.format(u"<%s>", longText.c_str());
    EXPECT_EQ(text.size(), 5002);
    EXPECT_EQ(units(text), u"<" + longText + u">");
    EXPECT_GT(text.capacity(), text.size());

    text.format(u"%300d", 1);
    EXPECT_EQ(text.size(), 300);
    EXPECT_EQ(text.getAt(299), u'1');

    String keep(u"keep");
    keep.format(nullptr);
    EXPECT_EQ(keep, u"keep");
    keep.format(u"");
    EXPECT_EQ(keep, u"keep");
    keep.format(u"%s!", keep.c_str());
    EXPECT_EQ(keep, u"keep!") << "an argument may be the string itself";

    String sql;
    sql.format(u"UPDATE zpordr SET paids=paids+%0.2f WHERE ordid=%d AND memo='%s'", 1234.5, 42, u"说明");
    EXPECT_EQ(sql, u"UPDATE zpordr SET paids=paids+1234.50 WHERE ordid=42 AND memo='说明'");
    String row;
    row.format(u"%03d", 7);
    EXPECT_EQ(row, u"007");
}
