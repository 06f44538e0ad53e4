// Buffers of String: how they are allocated and grown, borrowed (attached)
// buffers that must never be grown or freed, and the operations that fill
// a buffer (construction, assignment, concatenation, clearing).

#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"

using namespace tessel;
using testing_support::units;

TEST(StringGrowth, FirstAllocationIs16OrRoundedTo32)
{
    EXPECT_EQ(String(1).capacity(), 16);
    EXPECT_EQ(String(15).capacity(), 16);
    EXPECT_EQ(String(16).capacity(), 32);
    EXPECT_EQ(String(40).capacity(), 64); // 40 + 31 = 71, rounded down
    // An exact multiple of 32 would leave no unit for the terminator.
    EXPECT_EQ(String(32).capacity(), 64);
    EXPECT_EQ(String(64).capacity(), 96);
}

TEST(StringGrowth, ExistingBufferDoublesThenGrowsByOnePointSix)
{
    String text(u"x");
    ASSERT_EQ(text.capacity(), 16);
    EXPECT_TRUE(text.ensure(15));
    EXPECT_EQ(text.capacity(), 16) << "room enough already";
    EXPECT_TRUE(text.ensure(100));
    EXPECT_EQ(text.capacity(), 224); // 2 * 100 + 31, rounded down
    EXPECT_EQ(text, u"x") << "keep holds the content";

    String large(u"x");
    ASSERT_TRUE(large.ensure(0x100000));
    EXPECT_EQ(large.capacity(), 0x200000);
    ASSERT_TRUE(large.ensure(0x200000));
    EXPECT_EQ(large.capacity(), (static_cast<int>(1.6 * 0x200000) + 31) & ~31);
    EXPECT_EQ(large, u"x");
}

TEST(StringGrowth, AppendingCharacterByCharacterKeepsEverything)
{
    String text;
    std::u16string expected;
    for (int i = 0; i < 1000; i++) {
        char16_t c = static_cast<char16_t>(u'a' + i % 26);
        text.append(c);
        expected += c;
        ASSERT_GT(text.capacity(), text.size());
        ASSERT_EQ(text.c_str()[text.size()], 0);
    }
    EXPECT_EQ(units(text), expected);
}

TEST(StringConstruction, WithoutBufferReadsAsEmpty)
{
    for (const String& text : {String(), String(0), String(static_cast<const char16_t*>(nullptr)),
                               String(u"", 0, false).substr(5)}) {
        EXPECT_EQ(text.size(), 0);
        EXPECT_EQ(text.capacity(), 0);
        ASSERT_NE(text.c_str(), nullptr);
        EXPECT_EQ(text.c_str()[0], 0);
        EXPECT_EQ(text.toUnicode(), nullptr);
        EXPECT_EQ(text.toAnsi(), nullptr);
        EXPECT_EQ(text.toUTF8(nullptr, 0), 0);
        EXPECT_TRUE(text == static_cast<const char16_t*>(nullptr));
    }
}

TEST(StringBorrowed, NeverGrows)
{
    char16_t memory[] = u"<b>&";
    String text(memory, 0, true);
    EXPECT_TRUE(text.ensure(3));
    EXPECT_FALSE(text.ensure(4));
    text.append(u'x').append(u"more").append(String(u"more"));
    text.insert(0, u"x").insertChars(1, 3, u'y');
    text.htmlEncode().addSlashes();
    EXPECT_EQ(text.size(), 4);
    EXPECT_EQ(std::u16string(memory), u"<b>&");
    EXPECT_EQ(text.toUnicode(), memory);
    EXPECT_EQ(text.capacity(), 0);
}

TEST(StringBorrowed, InPlaceOperationsWriteIntoTheMemoryAndKeepTheLength)
{
    char16_t memory[] = u"abcdefgh";
    String text(memory, 0, true);


    text.assign(u"0123456789");
    EXPECT_EQ(std::u16string(memory), u"01234567") << "at most the current length";
    text.assign(u"xy");
    EXPECT_EQ(std::u16string(memory), u"xy234567");
    EXPECT_EQ(text.size(), 8);

    text.fill(3, u'z');
    EXPECT_EQ(std::u16string(memory), u"zzz34567");

    text.replace(0, 3, u"Q");
    EXPECT_EQ(std::u16string(memory), u"Q34567") << "fewer than n: the rest moves left";
    EXPECT_EQ(text.size(), 8) << "the length field stays";

    char16_t second[] = u"abcdef";
    String other(second, 0, true);
    other.replace(1, 2, u"XYZ");
    EXPECT_EQ(std::u16string(second), u"aXYdef") << "at most n characters are written";
    other.remove(0, 2);
    EXPECT_EQ(std::u16string(second), u"Ydef");
    EXPECT_EQ(other.size(), 6);
    other.trunc(2);
    EXPECT_EQ(std::u16string(second), u"Yd");
    EXPECT_EQ(other.size(), 6);

    char16_t third[] = u"12345";
    String formatted(third, 0, true);
    formatted.format(u"%d", 987654321);
    EXPECT_EQ(std::u16string(third), u"98765") << "formatted once, within the memory";

    char16_t fourth[] = u"abcd";
    String decoded(fourth, 0, true);
    decoded.fromCharset("\xE4\xB8\xAD\xE6\x96\x87xyz", CodePage::UTF8, 0);
    EXPECT_EQ(std::u16string(fourth), u"中文xy");
}

TEST(StringAnsi, CacheFollowsTheText)
{
    int saved = CodePage::systemDefault();
    String text(u"abc");
    EXPECT_STREQ(text.toAnsi(), "abc");
    EXPECT_EQ(text.sizeAnsi(), 3);
    text.append(u"中");
    EXPECT_STREQ(text.toAnsi(), "abc\xE4\xB8\xAD");
    EXPECT_EQ(text.sizeAnsi(), 6);

    CodePage::setSystemDefault(936);
    String chinese(u"贸易");
    EXPECT_STREQ(chinese.toAnsi(), "\xC3\xB3\xD2\xD7");
    chinese.setAt(0, u'中');
    EXPECT_STREQ(chinese.toAnsi(), "\xD6\xD0\xD2\xD7");
    CodePage::setSystemDefault(saved);
}

TEST(StringUtf8, WritesWholeCharactersAndTheTerminatorWhenThereIsRoom)
{
    String text(u"中文");
    EXPECT_EQ(text.toUTF8(nullptr, 0), 6);
    char out[16];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(text.toUTF8(out, sizeof out), 6);
    EXPECT_STREQ(out, "\xE4\xB8\xAD\xE6\x96\x87");

    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(text.toUTF8(out, 6), 6);
    EXPECT_EQ(out[6], 'x') << "no terminator without room for it";

    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(text.toUTF8(out, 4), 3) << "only whole characters";
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(String::fromUTF8("\xCE\xB1z"), u"αz");
}
