// Charset names and codes, and text moving between UTF-16 and the byte
// encodings: the Chinese code pages and UTF-8 both ways, UTF-16 bytes, and
// the places where the Windows tables differ from the standards.

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

using namespace tessel;
using testing_support::units;

namespace {

std::string encoded(int codePage, const String& text)
{
    int needed = CodePage::encode(codePage, text.c_str(), text.size(), nullptr, 0);
    std::string bytes(static_cast<size_t>(needed), '\0');
    bytes.resize(static_cast<size_t>(CodePage::encode(codePage, text.c_str(), text.size(), bytes.data(), needed)));
    return bytes;
}

String decoded(int codePage, const std::string& bytes)
{
    String text;
    text.fromCharset(bytes.data(), codePage, static_cast<int>(bytes.size()));
    return text;
}

} // namespace

TEST(Charset, EucJpIsItsOwnCodePageNotShiftJis)
{
    EXPECT_EQ(charsetOf(u"euc-jp"), 20932);
    EXPECT_EQ(charsetOf(u"EUC-JP"), 20932);
    ASSERT_TRUE(CodePage::isSupported(20932));
    // "日本" in EUC-JP; read as Shift-JIS these bytes would be other characters.
    EXPECT_EQ(String("\xC6\xFC\xCB\xDC", u"euc-jp", 4), u"日本");
    EXPECT_EQ(String("\x93\xFA\x96\x7B", u"shift_jis", 4), u"日本");
}

TEST(Charset, ChineseRoundTripsThroughGbkAndUtf8)
{
    String text(u"上海贸易有限公司：采购订单 No.0012，金额￥1,234.50 元");
    std::string gbk = encoded(936, text);
    EXPECT_EQ(gbk.substr(0, 4), "\xC9\xCF\xBA\xA3");
    EXPECT_EQ(decoded(936, gbk), text);
    EXPECT_EQ(String(gbk.data(), u"gbk", static_cast<int>(gbk.size())), text);
    EXPECT_EQ(String(gbk.c_str(), u"GB2312", 0), text) << "byte length 0 reads to the NUL";

    std::string utf8 = encoded(65001, text);
    EXPECT_EQ(utf8, text.toStdString());
    EXPECT_EQ(decoded(65001, utf8), text);
    char out[256];
    int written = text.toUTF8(out, sizeof out);
    EXPECT_EQ(std::string(out, static_cast<size_t>(written)), utf8);

    EXPECT_EQ(String(u"中文").toStdString(), "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_EQ(encoded(936, String(u"中文")), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(encoded(936, String(u"中한")), "\xD6\xD0?") << "what the code page lacks becomes ?";
}

TEST(Charset, WindowsTablesWhereTheyDifferFromTheStandards)
{
    EXPECT_EQ(decoded(936, "\x80"), u"€");
    EXPECT_EQ(encoded(936, String(u"€")), "\x80");
    EXPECT_EQ(decoded(950, "\xA3\xE1"), u"€");
    EXPECT_EQ(encoded(950, String(u"€")), "\xA3\xE1");
    EXPECT_EQ(decoded(932, "\x5C"), u"\\") << "a backslash, not a yen sign";
    EXPECT_EQ(decoded(932, "\x81\x60"), u"\uFF5E") << "fullwidth tilde, not wave dash";
    EXPECT_EQ(encoded(932, String(u"\uFF5E")), "\x81\x60");
    EXPECT_EQ(units(decoded(932, "\x1A\x1C\x7F\x81\x7F")), u"\x1A\x1C\x7F\uFFFD\x7F")
        << "control codes map to themselves";
    EXPECT_EQ(encoded(932, String(u"\x1A\x1C\x7F\u65E5")), "\x1A\x1C\x7F\x93\xFA");
    EXPECT_EQ(decoded(949, "\xC7\xD1\xB1\xB9"), u"한국");
    EXPECT_EQ(decoded(949, "\xB0\xA1"), u"가");
    EXPECT_EQ(encoded(949, String(u"한")), "\xC7\xD1");
    EXPECT_EQ(decoded(950, "\xA4\xA4\xA4\xE5"), u"中文");
}

TEST(Charset, Utf16BytesAreCopiedInTheMachineOrder)
{
    const char16_t source[] = u"中a";
    String little;
    little.fromCharset(source, CodePage::UTF16LE, 4);
    EXPECT_EQ(little, u"中a");
    String big;
    big.fromCharset(source, CodePage::UTF16BE, 0);
    EXPECT_EQ(big, u"中a") << "no byte swapping; a length below 1 reads to a 16-bit NUL";
    String odd;
    odd.fromCharset(source, CodePage::UTF16LE, 3);
    EXPECT_EQ(odd, u"中") << "byteLength / 2 units";
    String named(source, u"utf-16", 4);
    EXPECT_EQ(named, u"中a");
}

TEST(Charset, NothingDecodedEmptiesTheString)
{
    String text(u"previous");
    text.fromCharset(nullptr, 936, 4);
    EXPECT_EQ(text, u"");
    text = u"previous";
    text.fromCharset("", 936, 0);
    EXPECT_EQ(text, u"");
    text = u"previous";
    text.fromCharset("abc", 12345, 3);
    EXPECT_EQ(text, u"") << "an unknown code page decodes to nothing";
    text.fromCharset("\xFF\xFE", 65001, 2);
    EXPECT_EQ(units(text), u"\uFFFD\uFFFD") << "invalid bytes become replacement characters";
    EXPECT_FALSE(CodePage::isSupported(12345));
    EXPECT_TRUE(CodePage::isSupported(0));
    EXPECT_TRUE(CodePage::isSupported(65003));
}

TEST(Charset, CodePageCallsRespectTheOutputSize)
{
    const char* gbk = "\xD6\xD0\xCE\xC4\xB2\xE2";
    EXPECT_EQ(CodePage::decode(936, gbk, 6, nullptr, 0), 3);
    char16_t units3[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(CodePage::decode(936, gbk, 6, units3, 2), 2);
    EXPECT_EQ(units3[2], u'x') << "nothing past the capacity";
    EXPECT_EQ(CodePage::decode(65001, "abcdef", 6, units3, 2), 2);
    EXPECT_EQ(units3[2], u'x');

    char bytes[5] = {'x', 'x', 'x', 'x', 'x'};
    EXPECT_EQ(CodePage::encode(936, u"中文测", 3, bytes, 3), 2) << "whole characters only";
    EXPECT_EQ(std::string(bytes, 2), "\xD6\xD0");
    EXPECT_EQ(CodePage::encode(936, u"a中", 2, bytes, 2), 1);
    EXPECT_EQ(CodePage::encode(936, u"中文", 2, bytes, 4), 4) << "an exact fit";
    EXPECT_EQ(CodePage::encode(65001, u"中文", 2, bytes, 4), 3);
    EXPECT_EQ(std::string(bytes, 3), "\xE4\xB8\xAD");
    EXPECT_EQ(CodePage::encode(65001, u"中文", 2, bytes, 2), 0);
    EXPECT_EQ(CodePage::encode(65001, u"ab中", 3, bytes, 5), 5);
    EXPECT_EQ(CodePage::encode(65003, u"ab", 2, bytes, 4), 4);
    EXPECT_EQ(std::string(bytes, 4), std::string("\0a\0b", 4));
    EXPECT_EQ(CodePage::decode(65003, "\0a\0b", 4, units3, 3), 2);
    EXPECT_EQ(units3[1], u'b');
}

TEST(Charset, StreamingDecoderCompletesCharactersSplitBetweenPieces)
{
    std::string gbk = encoded(936, String(u"采购订单"));
    CodePage::Decoder decoder(936);
    char16_t out[16];
    std::u16string text;
    for (char byte : gbk) {
        int n = decoder.decode(&byte, 1, out, false);
        text.append(out, static_cast<size_t>(n));
    }
    EXPECT_EQ(text, u"采购订单");
    EXPECT_EQ(decoder.pending(), 0);

    int n = decoder.decode("\xB2", 1, out, false);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(decoder.pending(), 1);
    n = decoder.decode("", 0, out, true);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), u"\uFFFD") << "a flushed partial character";

    CodePage::Decoder japanese(932);
    n = japanese.decode("\x93\xFA\x7F\x1A", 4, out, true);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), u"日\x7F\x1A");

    CodePage::Decoder utf16(CodePage::UTF16BE);
    n = utf16.decode("\x4E", 1, out, false);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(utf16.pending(), 1);
    n = utf16.decode("\x2D\x00", 2, out, false);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), u"中");
    n = utf16.decode("", 0, out, true);
    EXPECT_EQ(std::u16string(out, static_cast<size_t>(n)), u"\uFFFD");
}
