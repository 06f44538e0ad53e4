#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

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

} // namespace

TEST(StreamReaders, ReadFixedWidthFieldsAndGiveZeroWhenShort)
{
    Ref<MemoryStream> stream = streamOver(std::string("\x00\x00\x01\x02", 4));
    EXPECT_EQ(258, stream->readIntBE());
    stream->moveToBegin();
    EXPECT_EQ(33619968, stream->readInt());
    EXPECT_EQ(0, stream->readShort());

    stream = streamOver(std::string("\x01\x00\x00\x00\x02\x00\x00\x00", 8));
    EXPECT_EQ(0x0000000200000001LL, stream->readBigint());
    stream->moveToBegin();
    EXPECT_EQ(0x0100000002000000LL, stream->readBigintBE());

    stream = streamOver("abc");
    EXPECT_EQ(0, stream->readInt()) << "three bytes are not an int";
    stream->moveToBegin();
    EXPECT_EQ('a', stream->readByte());
    EXPECT_EQ(0x6362, stream->readShort());
    EXPECT_EQ(0, stream->readByte());
}

TEST(StreamToString, DecodesTheRestOfAStream)
{
    String text(u"old");
    Ref<MemoryStream> stream = streamOver("\xE4\xB8\xAD\xE6\x96\x87 ok");
    EXPECT_TRUE(stream->toString(text, 65001));
    EXPECT_EQ(u"中文 ok", u16(text));

    // Length unknown: the buffer doubles until a read no longer fills it.
    std::string big(40000, 'x');
    big += "end";
    Ref<PieceStream> pieces = new PieceStream();
    pieces->add(big.substr(0, 16384)).add(big.substr(16384, 16384)).add(big.substr(32768));
    EXPECT_TRUE(pieces->toString(text, 1252));
    EXPECT_EQ(40003, text.size());
    EXPECT_EQ(u"xend", u16(text.right(4)));

    Ref<MemoryStream> empty = new MemoryStream(0);
    EXPECT_TRUE(empty->toString(text, 65001));
    EXPECT_TRUE(text.empty());
}

TEST(StreamToString, TurnsBigEndianUnitsAroundAndSurvivesBrokenInput)
{
    String text;
    EXPECT_TRUE(streamOver(std::string("\x00\x61\x4E\x2D", 4))->toString(text, 65003));
    EXPECT_EQ(u"a中", u16(text));
    EXPECT_TRUE(streamOver(std::string("\x61\x00\x62", 3))->toString(text, 65002));
    EXPECT_EQ(u"a", u16(text)) << "an odd last byte is no unit";
    EXPECT_TRUE(streamOver("a\xE4\xB8")->toString(text, 65001));
    EXPECT_EQ(u"a\uFFFD", u16(text));
    EXPECT_TRUE(streamOver("b\x81")->toString(text, 936));
    EXPECT_EQ(u'b', text[0]);
    EXPECT_LE(text.size(), 2);
}

TEST(MemoryStream, SeekingStaysInsideTheData)
{
    MemoryStream stream(0);
    stream.write("0123456789", 10);
    EXPECT_EQ(10, stream.moveTo(1000));
    EXPECT_TRUE(stream.isEnd());
    EXPECT_EQ(7, stream.moveBy(-3));
    EXPECT_EQ(3, stream.available());
    EXPECT_EQ(0, stream.moveTo(-5));
    char buffer[4];
    EXPECT_EQ(4, stream.read(buffer, 4));
    EXPECT_EQ(0, std::memcmp(buffer, "0123", 4));
    EXPECT_EQ(0, stream.read(nullptr, 4));

    stream.reset();
    EXPECT_TRUE(stream.isEnd());
}

TEST(MemoryStream, FixedViewReadsToItsCapacityAndNeverGrows)
{
    char data[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    Ref<MemoryStream> stream = new MemoryStream(0);
    stream->attach(data, 8, false);
    EXPECT_EQ(8, stream->getSize());
    EXPECT_FALSE(stream->isEnd());
    char buffer[16];
    EXPECT_EQ(8, stream->read(buffer, 16));
    EXPECT_TRUE(stream->isEnd());
    EXPECT_EQ(0, stream->read(buffer, 16));

    stream->moveTo(6);
    EXPECT_EQ(2, stream->write("XYZ", 3));
    EXPECT_EQ(0, stream->write("Q", 1));
    EXPECT_EQ(0, std::memcmp(data, "abcdefXY", 8));
    EXPECT_FALSE(stream->ensure(9));
    stream->reset();
    EXPECT_EQ(8, stream->getSize()) << "a view keeps its size";

    // A reader over the view stops at its end.
    TextReader reader(stream, 1252);
    String text;
    EXPECT_EQ(8, reader.read(text));
    EXPECT_EQ(u"abcdefXY", u16(text));
    stream->close();
    EXPECT_EQ(nullptr, stream->getBuffer());
}
