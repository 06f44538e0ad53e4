#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestStreams.h"
#include "tessel/tessel.h"

using namespace tessel;
using tessel::testing::PieceStream;

namespace {

std::u16string u16(const String& text)
{
    return std::u16string(text.c_str(), static_cast<size_t>(text.size()));
}

Ref<MemoryStream> streamOver(const std::string& bytes)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    stream->write(bytes.data(), static_cast<int>(bytes.size()));
    stream->moveToBegin();
    return stream;
}

// Every line of the reader, until the stream ends.
std::vector<std::u16string> allLines(TextReader& reader)
{
    std::vector<std::u16string> lines;
    for (int guard = 0; guard < 100000; guard++) {
        String line;
        reader.readLine(line);
        if (line.empty() && reader.getStream()->isEnd())
            break;
        lines.push_back(u16(line));
    }
    return lines;
}

const std::string CHINESE_UTF8 = "\xE4\xB8\xAD"; // 中

} // namespace

TEST(TextReaderBOM, TakesTheCharsetOfAMarkAndSkipsIt)
{
    Ref<MemoryStream> stream = streamOver("\xEF\xBB\xBFok");
    TextReader reader(stream, 936);
    EXPECT_TRUE(reader.readBOM());
    EXPECT_EQ(65001, reader.getCharset());
    EXPECT_EQ(3, stream->getPosition());

    TextReader little(streamOver(std::string("\xFF\xFEx\0", 4)), 0);
    EXPECT_TRUE(little.readBOM());
    EXPECT_EQ(65002, little.getCharset());
    TextReader big(streamOver(std::string("\xFE\xFF\0x", 4)), 0);
    EXPECT_TRUE(big.readBOM());
    EXPECT_EQ(65003, big.getCharset());
    String text;
    big.read(text);
    EXPECT_EQ(u"x", u16(text));

    stream = streamOver("plain");
    stream->moveTo(1);
    TextReader none(stream, 936);
    EXPECT_FALSE(none.readBOM());
    EXPECT_EQ(936, none.getCharset());
    EXPECT_EQ(1, stream->getPosition());
    TextReader shortOne(streamOver("\xEF"), 936);
    EXPECT_FALSE(shortOne.readBOM());

    Ref<PieceStream> unseekable = new PieceStream();
    unseekable->add("\xEF\xBB\xBF");
    TextReader cannot(unseekable, 936);
    EXPECT_FALSE(cannot.readBOM());
    EXPECT_EQ(0, unseekable->reads());
}

TEST(TextReaderLines, SplitsAtEveryKindOfLineEnd)
{
    TextReader reader(streamOver("a\r\nb\n\nc\rd"), 1252);
    EXPECT_EQ((std::vector<std::u16string>{u"a", u"b", u"", u"c", u"d"}), allLines(reader));

    // The line is appended; an empty line and the end both give 0.
    TextReader second(streamOver("x\n\n"), 1252);
    String line(u">");
    EXPECT_EQ(1, second.readLine(line));
    EXPECT_EQ(u">x", u16(line));
    EXPECT_EQ(0, second.readLine(line));
    EXPECT_EQ(0, second.readLine(line));

    TextReader nothing(nullptr, 1252);
    EXPECT_EQ(-1, nothing.readLine(line));
}

TEST(TextReaderLines, CarriageReturnAndLineFeedInSeparateReads)
{
    Ref<PieceStream> stream = new PieceStream();
    stream->add("one\r").add("\ntwo\r").add("\r\n");
    TextReader reader(stream, 65001);
    EXPECT_EQ((std::vector<std::u16string>{u"one", u"two", u""}), allLines(reader));
}

TEST(TextReaderLines, ReadsBothUTF16Orders)
{
    std::string little("\x2D\x4E"
                       "a\0\r\0\n\0"
                       "b\0",
                       10);
    TextReader reader(streamOver(little), 65002);
    EXPECT_EQ((std::vector<std::u16string>{u"中a", u"b"}), allLines(reader));

    std::string big("\x4E\x2D\0a\0\n\0\n\0b", 10);
    TextReader bigReader(streamOver(big), 65003);
    EXPECT_EQ((std::vector<std::u16string>{u"中a", u"", u"b"}), allLines(bigReader));

    // A unit of 0A 00 in big-endian text is no line end.
    TextReader notAnEnd(streamOver(std::string("\x0A\x00\x00z", 4)), 65003);
    EXPECT_EQ((std::vector<std::u16string>{u"\u0A00z"}), allLines(notAnEnd));

    // An odd last byte is dropped.
    TextReader odd(streamOver(std::string("a\0b", 3)), 65002);
    EXPECT_EQ((std::vector<std::u16string>{u"a"}), allLines(odd));
}

TEST(TextReaderLines, LongLinesKeepCharactersSplitAtTheBufferEdge)
{
    // 'a' then 1000 three-byte characters: the 2048-byte line buffer ends
    // inside a character.
    std::string text = "a";
    std::u16string expected = u"a";
    for (int i = 0; i < 1000; i++) {
        text += CHINESE_UTF8;
        expected += u'中';
    }
    text += "\nnext";
    TextReader seekable(streamOver(text), 65001);
    EXPECT_EQ((std::vector<std::u16string>{expected, u"next"}), allLines(seekable));

    Ref<PieceStream> pieces = new PieceStream();
    pieces->add(text);
    TextReader oneByOne(pieces, 65001);
    EXPECT_EQ((std::vector<std::u16string>{expected, u"next"}), allLines(oneByOne));

    // The same in GBK, whose characters are two bytes: an odd start shifts
    // them across the edge.
    std::string gbk = "a";
    std::u16string gbkExpected = u"a";
    for (int i = 0; i < 1500; i++) {
        gbk += "\xD6\xD0";
        gbkExpected += u'中';
    }
    TextReader gbkReader(streamOver(gbk), 936);
    EXPECT_EQ((std::vector<std::u16string>{gbkExpected}), allLines(gbkReader));
}

TEST(TextReaderLines, BrokenCharactersBecomeReplacementsWithoutHarm)
{
    TextReader reader(streamOver("a\xE4\xB8\nb\xE4"), 65001);
    EXPECT_EQ((std::vector<std::u16string>{u"a\uFFFD", u"b\uFFFD"}), allLines(reader));
    TextReader gbk(streamOver("x\x81"), 936);
    std::vector<std::u16string> lines = allLines(gbk);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(u'x', lines[0][0]);
}

TEST(TextReaderRead, AppendsTheWholeRestAndJoinsCharactersSplitBetweenChunks)
{
    // The first 32768-byte chunk ends inside the character.
    std::string text(32767, 'a');
    text += CHINESE_UTF8 + "end";
    TextReader reader(streamOver(text), 65001);
    String out(u">");
    EXPECT_EQ(static_cast<int>(text.size()), reader.read(out));
    EXPECT_EQ(32767 + 5, out.size());
    EXPECT_EQ(u"a中end", u16(out.right(5)));

    Ref<PieceStream> pieces = new PieceStream();
    pieces->add("x\xE4").add("\xB8").add("\xADy");
    TextReader split(pieces, 65001);
    out.clear();
    EXPECT_EQ(5, split.read(out));
    EXPECT_EQ(u"x中y", u16(out));

    TextReader big(streamOver(std::string("\x00\x61\x4E\x2D", 4)), 65003);
    out.clear();
    big.read(out);
    EXPECT_EQ(u"a中", u16(out));

    TextReader truncated(streamOver("ok\xE4\xB8"), 65001);
    out.clear();
    truncated.read(out);
    EXPECT_EQ(u"ok\uFFFD", u16(out));
}

TEST(TextReaderRead, StopsAtABrokenStreamAndWaitsForOneThatIsNotAtItsEnd)
{
    Ref<PieceStream> broken = new PieceStream();
    broken->add("ab").addResult(-1).add("cd");
    TextReader reader(broken, 65001);
    String out;
    EXPECT_EQ(2, reader.read(out));
    EXPECT_EQ(u"ab", u16(out));

    Ref<PieceStream> slow = new PieceStream();
    slow->add("ab").addResult(0).add("cd");
    TextReader waiting(slow, 65001);
    out.clear();
    EXPECT_EQ(4, waiting.read(out));
    EXPECT_EQ(u"abcd", u16(out));

    // At its end a stream keeps answering 0: the reader must not wait.
    Ref<PieceStream> ended = new PieceStream();
    TextReader atEnd(ended, 65001);
    EXPECT_EQ(0, atEnd.read(out));
    EXPECT_LE(ended->reads(), 2);

    TextReader none(nullptr, 65001);
    EXPECT_EQ(-1, none.read(out));
}

TEST(TextReaderRead, BufferReadsUseTheCharsetAndKeepWhatDidNotFit)
{
    TextReader reader(streamOver("\xD6\xD0\xCE\xC4"
                                 "abc"),
                      936);
    char16_t buffer[8];
    EXPECT_EQ(2, reader.read(buffer, 2));
    EXPECT_EQ(u"中文", std::u16string(buffer, 2));
    EXPECT_EQ(2, reader.read(buffer, 2));
    EXPECT_EQ(u"ab", std::u16string(buffer, 2));
    EXPECT_EQ(1, reader.read(buffer, 8));
    EXPECT_EQ(u'c', buffer[0]);
    EXPECT_EQ(0, reader.read(buffer, 8));

    // One character at a time, the pieces of a character arriving apart.
    Ref<PieceStream> pieces = new PieceStream();
    pieces->add("\xE4").add("\xB8\xAD"
                            "b");
    TextReader utf8(pieces, 65001);
    std::u16string got;
    int n;
    while ((n = utf8.read(buffer, 1)) > 0)
        got.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(u"中b", got);

    TextReader big(streamOver(std::string("\x4E\x2D\0z", 4)), 65003);
    EXPECT_EQ(2, big.read(buffer, 4));
    EXPECT_EQ(u"中z", std::u16string(buffer, 2));

    TextReader truncated(streamOver("a\xE4\xB8"), 65001);
    EXPECT_EQ(1, truncated.read(buffer, 8));
    EXPECT_EQ(1, truncated.read(buffer, 8));
    EXPECT_EQ(u'\uFFFD', buffer[0]);
    EXPECT_EQ(0, truncated.read(buffer, 8));

    TextReader odd(streamOver(std::string("a\0b", 3)), 65002);
    EXPECT_EQ(1, odd.read(buffer, 8));
    EXPECT_EQ(0, odd.read(buffer, 8));
}
