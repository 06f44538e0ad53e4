// Buffers of String: how they are allocated and grown, borrowed (attached)
// buffers that must never be grown or freed, and the operations that fill
// a buffer (construction, assignment, concatenation, clearing).

#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"

using namespace tessel;
using testing_support::units;

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
    for (const String& text :
         {String(), String(0), String(static_cast<const char16_t*>(nullptr)), String(u"", 0, false).substr(5)}) {
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
