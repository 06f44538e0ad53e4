#include <gtest/gtest.h>

#include <string>

#include "tessel/core/Base64Codec.h"
#include "tessel/core/MemoryStream.h"
#include "tessel/core/TextReader.h"
#include "tessel/core/TextWriter.h"
#include "TestStreams.h"

using namespace tessel;

namespace {

Ref<MemoryStream> streamOf(const std::string& bytes)
{
    Ref<MemoryStream> stream = new MemoryStream(0);
    if (!bytes.empty())
        stream->write(bytes.data(), static_cast<int>(bytes.size()));
    stream->moveToBegin();
    return stream;
}

std::string contents(MemoryStream& stream)
{
    return std::string(stream.getBuffer(), static_cast<size_t>(stream.getSize()));
}

std::string encoded(const std::string& bytes, bool chunked = false)
{
    Base64Codec codec(chunked);
    Ref<MemoryStream> in = streamOf(bytes);
    String out;
    int produced = codec.encode(*in, out);
    EXPECT_EQ(produced, out.size());
    return out.toStdString();
}

std::string decoded(const char16_t* text, int* result = nullptr)
{
    Base64Codec codec;
    Ref<MemoryStream> out = new MemoryStream(0);
    int written = codec.decode(String(text), *out);
    if (result)
        *result = written;
    EXPECT_EQ(written, out->getSize());
    return contents(*out);
}

} // namespace

TEST(Base64, ReferenceVectorsBothWays)
{
    const char* vectors[][2] = {{"", ""},
                                {"f", "Zg=="},
                                {"fo", "Zm8="},
                                {"foo", "Zm9v"},
                                {"foob", "Zm9vYg=="},
                                {"fooba", "Zm9vYmE="},
                                {"foobar", "Zm9vYmFy"},
                                {"\xfb\xff\xbf", "+/+/"}};
    for (auto& [plain, text] : vectors) {
        EXPECT_EQ(encoded(plain), text) << plain;
        EXPECT_EQ(decoded(String::fromUTF8(text).c_str()), plain) << text;
    }

    Base64Codec codec;
    Ref<MemoryStream> in = streamOf("abc");
    String out(u"prefix:");
    EXPECT_EQ(codec.encode(*in, out), 4);
    EXPECT_EQ(out.toStdString(), "prefix:YWJj");
}

TEST(Base64Encode, ChunkedLinesOf76)
{
    std::string bytes(57, 'x');
    std::string line = encoded(bytes, true);
    ASSERT_EQ(line.size(), 78u);
    EXPECT_EQ(line.substr(76), "\r\n");
    EXPECT_EQ(line.substr(0, 76), encoded(bytes, false));

    std::string longer = encoded(std::string(58, 'x'), true);
    EXPECT_EQ(longer.size(), 78u + 4u);
    EXPECT_EQ(longer.substr(78), "eA==");

    // The line count runs across the blocks the input is read in.
    std::string big(3 * Base64Codec::READ_BLOCK + 100, '\x5a');
    std::string text = encoded(big, true);
    size_t lines = 0;
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) {
        lines++;
        EXPECT_EQ((at + 2) % 78, 0u) << at;
    }
    EXPECT_EQ(lines, big.size() / 57);
    std::string flat = encoded(big, false);
    EXPECT_EQ(flat.find('\r'), std::string::npos);
    EXPECT_EQ(flat.size(), (big.size() + 2) / 3 * 4);
}

TEST(Base64Encode, StreamsThatTrickle)
{
    std::string bytes(Base64Codec::READ_BLOCK + 5, 'q');
    tessel::testing::PieceStream in;
    for (size_t at = 0; at < bytes.size(); at += 7)
        in.add(bytes.substr(at, 7));
    Base64Codec codec;
    String out;
    codec.encode(in, out);
    EXPECT_EQ(out.toStdString(), encoded(bytes));
}

TEST(Base64Decode, BlanksAreSkipped)
{
    int result = 0;
    EXPECT_EQ(decoded(u"YW Jj\r\n", &result), "abc");
    EXPECT_EQ(result, 3);
    EXPECT_EQ(decoded(u"YQ==", &result), "a");
    EXPECT_EQ(result, 1);
    EXPECT_EQ(decoded(u"\tY\x01W\x1fJ j"), "abc");
    EXPECT_EQ(decoded(u""), "");
}

TEST(Base64Decode, StopsAtTheFirstForeignCharacter)
{
    EXPECT_EQ(decoded(u"YQ==YWJj"), "a");
    EXPECT_EQ(decoded(u"YWJj*YWJj"), "abc");
    EXPECT_EQ(decoded(u"YWJj-_"), "abc");
    EXPECT_EQ(decoded(u"YWJj\u00e9YQ"), "abc");
    EXPECT_EQ(decoded(u"=YWJj"), "");
    // A lone character after whole groups carries too few bits for a byte.
    EXPECT_EQ(decoded(u"YWJjY"), "abc");
    EXPECT_EQ(decoded(u"YWJjYW"), "abca");
}

TEST(Base64Decode, LargeOutputIsWrittenInPieces)
{
    std::string big;
    for (int i = 0; i < 30000; i++)
        big += static_cast<char>(i * 7);
    String text = String::fromUTF8(encoded(big, true));
    Base64Codec codec;
    Ref<MemoryStream> out = new MemoryStream(0);
    EXPECT_EQ(codec.decode(text, *out), static_cast<int>(big.size()));
    EXPECT_EQ(contents(*out), big);
}
