// Hashing, comparison and search on String and on plain NUL-terminated
// texts, with their rules for null and empty arguments and for positions
// outside the text.

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace tessel;

namespace {

// The hash as documented: n * 596579247, plus each unit shifted left by
// (5 * i) mod 24, times 1103515243 plus 12345, all modulo 2^32.
template <class Unit>
unsigned referenceHash(const Unit* units, int n)
{
    unsigned h = static_cast<unsigned>(n) * 596579247u;
    for (int i = 0; i < n; i++)
        h += static_cast<unsigned>(static_cast<int>(units[i])) << ((5 * i) % 24);
    return h * 1103515243u + 12345u;
}

} // namespace

TEST(StringHash, KnownValuesAndTheByteForm)
{
    EXPECT_EQ(String().hashCode(), 12345u);
    EXPECT_EQ(String(u"abc").hashCode(), 3257249267u);
    EXPECT_EQ(hashCode("abc", 3), 3257249267u);
    EXPECT_EQ(hashCode(u"abcdef", 3), 3257249267u) << "exactly n units";

    // The shift wraps at 24 bits: units 5 and beyond start low again.
    const char16_t* longer = u"The quick brown fox, 中文 and 한국어";
    EXPECT_EQ(String(longer).hashCode(), referenceHash(longer, length(longer)));

    // Bytes at 0x80 and above count as negative numbers; units never do.
    const signed char bytes[] = {'a', -128, -1, 0x7F, -70, 'z'};
    EXPECT_EQ(hashCode(reinterpret_cast<const char*>(bytes), 6), referenceHash(bytes, 6));
    const char16_t sameUnits[] = {u'a', 0x80, 0xFF, 0x7F, 0xBA, u'z'};
    EXPECT_EQ(hashCode(sameUnits, 6), referenceHash(sameUnits, 6));
}

TEST(StringHash, CachedUntilTheTextChanges)
{
    String text(u"abc");
    text.hashCode();
    text.append(u'd');
    EXPECT_EQ(text.hashCode(), String(u"abcd").hashCode());
    text.setAt(3, u'e');
    EXPECT_EQ(text.hashCode(), String(u"abce").hashCode());
    text.toUpper();
    EXPECT_EQ(text.hashCode(), String(u"ABCE").hashCode());
    text.remove(0, 1);
    EXPECT_EQ(text.hashCode(), String(u"BCE").hashCode());
    text.replace(u"C", u"cc");
    EXPECT_EQ(text.hashCode(), String(u"BccE").hashCode());
    text.format(u"%d", 12);
    EXPECT_EQ(text.hashCode(), String(u"12").hashCode());
}

TEST(StringEquality, RejectsOnLengthAndHashAndAcceptsSharedBuffers)
{
    String a(u"equal"), c(u"Equal"), shorter(u"equa");
    EXPECT_TRUE(a == String(u"equal"));
    EXPECT_TRUE(a != c);
    EXPECT_FALSE(a == shorter);
    EXPECT_FALSE(a == u"equals");
    EXPECT_FALSE(a == static_cast<const char16_t*>(nullptr)) << "null equals only a string without buffer";
    EXPECT_TRUE(String() == static_cast<const char16_t*>(nullptr));
    EXPECT_FALSE(String(u"", 0) == static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(String() == String(u""));
    EXPECT_TRUE(a.equalsIgnoreCase(c));
    EXPECT_FALSE(a.equalsIgnoreCase(u"EQUALS"));
    EXPECT_TRUE(String().equalsIgnoreCase(static_cast<const char16_t*>(nullptr)));
}

TEST(StringCompare, DifferenceOfTheFirstDifferingCharactersOrTheLengthRule)
{
    EXPECT_GT(String(u"abc").compare(u"ab"), 0);
    EXPECT_EQ(String(u"a").compare(u"c"), -2);
    EXPECT_EQ(String(u"ab").compare(String(u"abcd")), -2) << "counted: difference of the lengths";
    EXPECT_EQ(String(u"ab").compare(u"abcd"), -1) << "terminated: a proper prefix sorts first";
    EXPECT_EQ(String().compare(static_cast<const char16_t*>(nullptr)), 0);
    EXPECT_EQ(String(u"x").compare(static_cast<const char16_t*>(nullptr)), 1);
    EXPECT_LT(String().compare(u"a"), 0);
    EXPECT_LT(String(u"B").compare(u"a"), 0) << "code-unit order, upper case first";
    EXPECT_EQ(String(u"Hello").compareIgnoreCase(String(u"HELLO")), 0);
    EXPECT_LT(String(u"apple").compareIgnoreCase(u"BANANA"), 0);
    EXPECT_EQ(String(u"ÄÖÜ").compareIgnoreCase(u"äöü"), 0);
    EXPECT_EQ(String(u"x").compareIgnoreCase(static_cast<const char16_t*>(nullptr)), 1);

    // The counted form compares a window of this string.
    String text(u"hello world");
    EXPECT_EQ(text.compare(u"worldwide", 5, 6), 0) << "up to count characters of the other";
    EXPECT_LT(text.compare(u"worlds", 6, 6), 0) << "only five characters remain";
    EXPECT_EQ(text.compare(u"anything", 0, 3), 0) << "count below 1";
    EXPECT_EQ(text.compare(text, 5, 3), 0) << "the same object";
    EXPECT_EQ(text.compare(u"x", 1, 12), 1) << "start past the end";
    EXPECT_GT(text.compare(static_cast<const char16_t*>(nullptr), 2, 0), 0);
    EXPECT_EQ(text.compareIgnoreCase(String(u"HELLO"), 5, 0), 0);
}

TEST(StringCompare, FreeFunctionsWithNullsAndCounts)
{
    EXPECT_EQ(compare(nullptr, u"a"), -1);
    EXPECT_EQ(compare(nullptr, nullptr), 0);
    EXPECT_EQ(compare(u"a", nullptr), 1);
    EXPECT_EQ(compare(u"abcdef", u"abc", 3), 0) << "the first n of a with all of b";
    EXPECT_LT(compare(u"abcdef", u"abcd", 3), 0);
    EXPECT_GT(compare(u"abc", u"ab", 9), 0) << "n beyond a's length means all of a";
    EXPECT_EQ(compareIgnoreCase(u"MiXeDup", u"mixed", 5), 0);
    EXPECT_EQ(compareIgnoreCase(nullptr, u"x"), -1);

    // b is already folded; only a's characters are mapped.
    EXPECT_EQ(compareLowerCase(u"ABC", u"abc"), 0);
    EXPECT_NE(compareLowerCase(u"abc", u"ABC"), 0);
    EXPECT_EQ(compareLowerCase(u"ABCD", u"abcx", 3), 1) << "after n equal characters b goes on";
    EXPECT_EQ(compareLowerCase(u"AB", u"abc", 2), 1) << "b goes on after n characters";
    EXPECT_EQ(compareLowerCase(u"AB", u"ab", 2), 0);
    EXPECT_LT(compareLowerCase(u"AB", u"abc"), 0);
    EXPECT_GT(compareUpperCase(u"selects", u"SELECT"), 0);
    EXPECT_EQ(compareUpperCase(u"äb", u"ÄB"), 0);
    // A count below 1 compares up to the terminators and reads nothing
    // outside either text.
    const char16_t before[] = {u'x', u'a', u'b', 0};
    EXPECT_EQ(compareLowerCase(u"AB", before + 1, -1), 0);
    EXPECT_LT(compareUpperCase(u"a", u"AB", -1), 0);
    EXPECT_EQ(compareLowerCase(nullptr, u"a"), -1);
    EXPECT_EQ(compareUpperCase(u"a", nullptr), 1);
    EXPECT_EQ(compareUpperCase(nullptr, nullptr), 0);
}

TEST(StringSearch, Forwards)
{
    String text(u"abcabc");
    EXPECT_EQ(text.indexOf(u'c', 3), 5);
    EXPECT_EQ(text.indexOf(u'c', -5), 2) << "a negative start counts as 0";
    EXPECT_EQ(text.indexOf(u'a', 6), -1);
    EXPECT_EQ(text.indexOfIgnoreCase(u'C', 3), 5);
    EXPECT_EQ(text.indexOf(String(u"bc"), 2), 4);
    EXPECT_EQ(text.indexOf(u"bca", 2), -1) << "does not fit after the start";
    EXPECT_EQ(text.indexOf(u"abcabcx"), -1);
    EXPECT_EQ(text.indexOf(String(), 4), 0) << "an empty pattern gives 0 whatever the start";
    EXPECT_EQ(text.indexOf(static_cast<const char16_t*>(nullptr)), -1);
    EXPECT_EQ(String().indexOf(u"a"), -1);
    EXPECT_EQ(text.indexOfIgnoreCase(String(u"BC"), 3), 4);
    EXPECT_EQ(text.indexOfAny(u"xc", 3), 5);
    EXPECT_EQ(text.indexOfAny(u""), -1);
    EXPECT_EQ(text.indexOfAny(nullptr), -1);
    String withNul(u"ab\0cd", 5);
    ASSERT_EQ(withNul.size(), 5);
    EXPECT_EQ(withNul.indexOfAny(u"d"), -1) << "stops at an embedded NUL";
    EXPECT_EQ(withNul.indexOf(u'd'), 4);
}

TEST(StringSearch, Backwards)
{
    EXPECT_EQ(String(u"x").lastIndexOf(u'x'), 0);
    String text(u"axbx");
    EXPECT_EQ(text.lastIndexOf(u'x', 1), 1);
    EXPECT_EQ(text.lastIndexOf(u'x', 99), 3) << "past the end: from the last character";
    EXPECT_EQ(text.lastIndexOf(u'x', -1), -1);
    EXPECT_EQ(String().lastIndexOf(u'a'), -1);
    EXPECT_EQ(text.lastIndexOfIgnoreCase(u'X', 2), 1);
    EXPECT_EQ(text.lastIndexOfAny(u"ab", 1), 0);
    EXPECT_EQ(text.lastIndexOfAny(u"ab", -2), -1);
    EXPECT_EQ(text.lastIndexOfAny(u""), -1);

    String abc(u"abcabc");
    EXPECT_EQ(abc.lastIndexOf(u""), 6) << "an empty pattern gives the start, the length by default";
    EXPECT_EQ(abc.lastIndexOf(String(), 2), 2);
    EXPECT_EQ(abc.lastIndexOf(u"bc", 5), 1) << "the first candidate is start - |pattern|";
    EXPECT_EQ(abc.lastIndexOf(u"ab", 1), -1);
    EXPECT_EQ(abc.lastIndexOf(u"bc", -1), -1);
    EXPECT_EQ(abc.lastIndexOf(u"bc", 60), 4);
    EXPECT_EQ(abc.lastIndexOf(static_cast<const char16_t*>(nullptr)), -1);
    EXPECT_EQ(abc.lastIndexOfIgnoreCase(String(u"AB"), 5), 3);
}
