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
