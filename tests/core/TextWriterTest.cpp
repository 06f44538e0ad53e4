#include <gtest/gtest.h>

#include <string>

#include "tessel/tessel.h"

using namespace tessel;

namespace {

std::string bytesOf(MemoryStream& stream)
{
    return std::string(stream.getBuffer() ? stream.getBuffer() : "", static_cast<size_t>(stream.getSize()));
}

std::string written(int charset, const String& text, bool mark = false)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    TextWriter writer(stream, charset);
    if (mark)
        writer.writeBOM();
    writer.write(text);
    return bytesOf(*stream);
}

} // namespace

TEST(TextWriter, WritesEachCharsetWithItsMark)
{
    EXPECT_EQ(std::string("a\0b\0", 4), written(65002, u"ab"));
    EXPECT_EQ(std::string("\0a\0b", 4), written(65003, u"ab"));
    EXPECT_EQ("\xEF\xBB\xBF\xE4\xB8\xAD", written(65001, u"中", true));
    EXPECT_EQ(std::string("\xFF\xFE\x2D\x4E", 4), written(65002, u"中", true));
    EXPECT_EQ(std::string("\xFE\xFF\x4E\x2D", 4), written(65003, u"中", true));
    EXPECT_EQ("x", written(936, u"x", true)) << "no mark outside UTF";
    EXPECT_EQ("", written(65001, String()));
}

TEST(TextWriter, WritesStringsInTheWritersCharset)
{
    EXPECT_EQ("\xD6\xD0\xCE\xC4", written(936, u"中文"));
    EXPECT_EQ("caf\xE9", written(1252, u"café"));
    EXPECT_EQ("?", written(1252, u"中")) << "what the code page cannot hold";

    Ref<MemoryStream> stream = new MemoryStream(0);
    TextWriter writer(stream, 936);
    EXPECT_EQ(2, writer.write(u"中文", 1));
    EXPECT_EQ(1, writer.write(u"z"));
    EXPECT_EQ(0, writer.write(nullptr, 3));
    EXPECT_EQ("\xD6\xD0z", bytesOf(*stream));

    TextWriter nowhere(nullptr, 65001);
    EXPECT_EQ(0, nowhere.write(u"lost"));
    nowhere.writeBOM();
}

TEST(TextWriter, LongTextsKeepSurrogatePairsWhole)
{
    // The pair straddles the point where a long text is cut into pieces.
    std::u16string text(16383, u'a');
    text += u"\U0001F600";
    text += u"end";
    std::string bytes = written(65001, String(text.c_str(), static_cast<int>(text.size())));
    EXPECT_EQ(16383u + 4 + 3, bytes.size());
    EXPECT_EQ("\xF0\x9F\x98\x80"
              "end",
              bytes.substr(16383));
}

TEST(TextWriter, WritesUTF8AsTheCodePageLayerDoes)
{
    // Every kind of unit, alone, in runs, at the ends, and the surrogates
    // without their partners, which become U+FFFD.
    const std::u16string texts[] = {
        u"plain ASCII <td>1</td>",
        u"\u00E9\u00FC\u00DF\u07FF\u0080",
        u"\u4E2D\u6587\u3002\uFFFD\uFFFF\u0800",
        u"a\u00E9\u4E2D\U0001F600z",
        u"\U0001F600\U0010FFFF",
        std::u16string(1, char16_t(0xD83D)) + u"x",
        u"x" + std::u16string(1, char16_t(0xDE00)),
        u"end" + std::u16string(1, char16_t(0xD83D)),
        std::u16string(1, char16_t(0xDE00)) + std::u16string(1, char16_t(0xD83D)),
        std::u16string(1, u'\0') + u"nul",
    };
    for (const std::u16string& text : texts) {
        int length = static_cast<int>(text.size());
        std::string expected(static_cast<size_t>(4 * length), '\0');
        expected.resize(static_cast<size_t>(CodePage::encode(65001, text.data(), length, expected.data(), 4 * length)));
        Ref<MemoryStream> stream = new MemoryStream(0);
        TextWriter writer(stream, 65001);
        EXPECT_EQ(static_cast<int>(expected.size()), writer.write(text.data(), length));
        EXPECT_EQ(expected, bytesOf(*stream)) << "text of " << length << " units";
    }
}

TEST(TextWriter, BlocksReachTheStreamWhenTheOutermostEnds)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    TextWriter writer(stream, 65001);
    writer.write(u"before ");
    EXPECT_EQ("before ", bytesOf(*stream)) << "outside a block every write goes through";
    writer.beginBlock();
    writer.write(u"\u4E2D");
    writer.beginBlock();
    writer.write(u" inner");
    EXPECT_TRUE(writer.endBlock());
    EXPECT_EQ("before ", bytesOf(*stream));
    EXPECT_TRUE(writer.endBlock());
    EXPECT_EQ("before \xE4\xB8\xAD inner", bytesOf(*stream));
    EXPECT_TRUE(writer.endBlock()) << "an end without a begin only flushes";

    // More than a block: the bytes arrive whole and in order.
    std::string expected;
    writer.beginBlock();
    for (int i = 0; i < 3 * TextWriter::BLOCK_BYTES / 10; i++) {
        writer.write(i % 2 ? u"\u00E9tude" : u"row\U0001F600");
        expected += i % 2 ? "\xC3\xA9tude" : "row\xF0\x9F\x98\x80";
    }
    std::string text(TextWriter::BLOCK_BYTES + 5, 'x');
    writer.write(String(std::u16string(text.begin(), text.end()).c_str(), static_cast<int>(text.size())));
    expected += text;
    EXPECT_TRUE(writer.endBlock());
    EXPECT_EQ("before \xE4\xB8\xAD inner" + expected, bytesOf(*stream));
}

TEST(TextWriter, BlocksKeepTheOtherCharsetsAndTheMark)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    {
        TextWriter writer(stream, 936);
        writer.beginBlock();
        writer.writeBOM();
        EXPECT_EQ(2, writer.write(u"\u4E2D\u6587", 1));
        writer.write(u"z");
        EXPECT_EQ("", bytesOf(*stream));
    }
    EXPECT_EQ("\xD6\xD0z", bytesOf(*stream)) << "a writer that goes sends what it collected";

    stream = new MemoryStream(0);
    TextWriter unicode(stream, 65002);
    unicode.beginBlock();
    unicode.writeBOM();
    unicode.write(u"ab");
    unicode.endBlock();
    EXPECT_EQ(std::string("\xFF\xFE"
                          "a\0b\0",
                          6),
              bytesOf(*stream));
}

TEST(StringTokenizer, CutsAtEveryDelimiter)
{
    StringTokenizer commas(u"a,,b", u",");
    EXPECT_TRUE(commas.hasMoreTokens());
    EXPECT_TRUE(commas.nextToken() == u"a");
    EXPECT_TRUE(commas.peekNextToken().empty());
    EXPECT_TRUE(commas.nextToken().empty());
    EXPECT_TRUE(commas.peekNextToken() == u"b");
    EXPECT_TRUE(commas.nextToken() == u"b");
    EXPECT_FALSE(commas.hasMoreTokens());
    EXPECT_TRUE(commas.nextToken().empty());

    StringTokenizer words(u"one two\tthree\r\nfour");
    const char16_t* expected[] = {u"one", u"two", u"three", u"", u"four"};
    for (const char16_t* token : expected)
        EXPECT_TRUE(words.nextToken() == token);
    EXPECT_FALSE(words.hasMoreTokens());

    StringTokenizer trailing(u"x;", u";");
    EXPECT_TRUE(trailing.nextToken() == u"x");
    EXPECT_TRUE(trailing.hasMoreTokens());
    EXPECT_TRUE(trailing.nextToken().empty());
    EXPECT_FALSE(trailing.hasMoreTokens());
}
