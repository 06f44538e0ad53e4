#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/MultipartParser.h"

using host::MultipartParser;
using host::PartHeaders;
using Status = MultipartParser::Status;

namespace {

// Writes down what the parser reports; content pieces are joined, so that
// the record does not depend on where the body was cut.
class Recorder : public MultipartParser::Handler {
public:
    bool onPartBegin(const PartHeaders& headers) override
    {
        parts.push_back({headers, std::string(), false});
        return parts.size() <= stopAfterParts;
    }
    bool onPartData(std::string_view bytes) override
    {
        parts.back().content.append(bytes);
        return true;
    }
    bool onPartEnd() override
    {
        parts.back().ended = true;
        return true;
    }

    struct Part {
        PartHeaders headers;
        std::string content;
        bool ended;
    };
    std::vector<Part> parts;
    size_t stopAfterParts = 1000;
};

const std::string BOUNDARY = "----form7MA4YWxk";

std::string part(const std::string& disposition, const std::string& content, const std::string& type = "")
{
    std::string text = "--" + BOUNDARY + "\r\nContent-Disposition: form-data; " + disposition + "\r\n";
    if (!type.empty())
        text += "Content-Type: " + type + "\r\n";
    return text + "\r\n" + content + "\r\n";
}

std::string closing()
{
    return "--" + BOUNDARY + "--\r\n";
}

Status parseWhole(const std::string& body, Recorder& recorder)
{
    MultipartParser parser(BOUNDARY, recorder);
    parser.feed(body);
    return parser.finish();
}

Status parseInPieces(const std::string& body, size_t piece, Recorder& recorder)
{
    MultipartParser parser(BOUNDARY, recorder);
    for (size_t at = 0; at < body.size(); at += piece)
        parser.feed(std::string_view(body).substr(at, piece));
    return parser.finish();
}

} // namespace

TEST(MultipartParts, FieldsAndFilesWithTheirHeaders)
{
    std::string body = part("name=\"cmd\"", "save") + part("name=\"file\"; filename=\"stock.csv\"", "a,b\r\nc,d", "text/csv")
                     + closing();
    Recorder recorder;
    ASSERT_EQ(parseWhole(body, recorder), Status::Complete);
    ASSERT_EQ(recorder.parts.size(), 2u);
    EXPECT_EQ(recorder.parts[0].headers.name, "cmd");
    EXPECT_FALSE(recorder.parts[0].headers.hasFileName);
    EXPECT_EQ(recorder.parts[0].content, "save");
    EXPECT_TRUE(recorder.parts[0].ended);
    EXPECT_EQ(recorder.parts[1].headers.name, "file");
    EXPECT_TRUE(recorder.parts[1].headers.hasFileName);
    EXPECT_EQ(recorder.parts[1].headers.fileName, "stock.csv");
    EXPECT_EQ(recorder.parts[1].headers.contentType, "text/csv");
    EXPECT_EQ(recorder.parts[1].content, "a,b\r\nc,d");
}

TEST(MultipartParts, EveryCutOfTheBodyGivesTheSameParts)
{
    // Content that keeps almost meeting the delimiter.
    std::string tricky = "x\r\n--" + BOUNDARY.substr(0, 5) + "\r\n\r\n-" + BOUNDARY + "\r\n--"
                       + BOUNDARY.substr(0, BOUNDARY.size() - 1) + "\r\r\n-";
    std::string body = "preamble\r\n" + part("name=\"a\"", tricky) + part("name=\"b\"", "") + closing() + "epilogue";
    Recorder whole;
    ASSERT_EQ(parseWhole(body, whole), Status::Complete);
    ASSERT_EQ(whole.parts.size(), 2u);
    EXPECT_EQ(whole.parts[0].content, tricky);
    EXPECT_EQ(whole.parts[1].content, "");
    for (size_t piece : {1, 2, 3, 7, 16, 41}) {
        Recorder cut;
        ASSERT_EQ(parseInPieces(body, piece, cut), Status::Complete) << piece;
        ASSERT_EQ(cut.parts.size(), 2u) << piece;
        EXPECT_EQ(cut.parts[0].content, tricky) << piece;
        EXPECT_EQ(cut.parts[1].content, "") << piece;
    }
}

TEST(MultipartParts, BinaryContentPassesUnchanged)
{
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    binary += std::string("\0\r\n\0", 4);
    Recorder recorder;
    ASSERT_EQ(parseInPieces(part("name=\"f\"; filename=\"b.bin\"", binary) + closing(), 5, recorder), Status::Complete);
    ASSERT_EQ(recorder.parts.size(), 1u);
    EXPECT_EQ(recorder.parts[0].content, binary);
}

TEST(MultipartParts, PaddingAfterTheDelimiterIsAllowed)
{
    std::string body = "--" + BOUNDARY + "  \t\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n" + closing();
    Recorder recorder;
    ASSERT_EQ(parseWhole(body, recorder), Status::Complete);
    ASSERT_EQ(recorder.parts.size(), 1u);
    EXPECT_EQ(recorder.parts[0].content, "1");
}

TEST(MultipartParts, APartWithoutHeadersHasNoName)
{
    std::string body = "--" + BOUNDARY + "\r\n\r\nfree text\r\n" + closing();
    Recorder recorder;
    ASSERT_EQ(parseWhole(body, recorder), Status::Complete);
    ASSERT_EQ(recorder.parts.size(), 1u);
    EXPECT_TRUE(recorder.parts[0].headers.name.empty());
    EXPECT_EQ(recorder.parts[0].content, "free text");
}

TEST(MultipartFailures, ABodyThatEndsBeforeTheClosingDelimiterIsMalformed)
{
    Recorder recorder;
    EXPECT_EQ(parseWhole(part("name=\"a\"", "1"), recorder), Status::Malformed);
    Recorder midPart;
    EXPECT_EQ(parseWhole("--" + BOUNDARY + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nhalf", midPart),
              Status::Malformed);
    Recorder nothing;
    EXPECT_EQ(parseWhole("", nothing), Status::Malformed);
}

TEST(MultipartFailures, GarbageAfterADelimiterIsMalformed)
{
    Recorder recorder;
    EXPECT_EQ(parseWhole("--" + BOUNDARY + "junk\r\n\r\n", recorder), Status::Malformed);
}

TEST(MultipartFailures, AnOverlongHeaderBlockIsMalformed)
{
    std::string body = "--" + BOUNDARY + "\r\nX-Filler: " + std::string(MultipartParser::MAX_HEADER_BYTES, 'x');
    Recorder whole;
    EXPECT_EQ(parseWhole(body + "\r\n\r\n" + closing(), whole), Status::Malformed);
    Recorder cut; // also when it never ends
    MultipartParser parser(BOUNDARY, cut);
    EXPECT_EQ(parser.feed(body), Status::Malformed);
    EXPECT_TRUE(cut.parts.empty());
}

TEST(MultipartFailures, TheHandlerCanStopTheParse)
{
    Recorder recorder;
    recorder.stopAfterParts = 1;
    std::string body = part("name=\"a\"", "1") + part("name=\"b\"", "2") + closing();
    EXPECT_EQ(parseWhole(body, recorder), Status::Stopped);
    EXPECT_EQ(recorder.parts.size(), 2u);
    EXPECT_TRUE(recorder.parts[1].content.empty());
}

TEST(MultipartFailures, AnInvalidBoundaryRefusesEverything)
{
    Recorder recorder;
    MultipartParser parser("", recorder);
    EXPECT_EQ(parser.feed("--\r\n\r\n"), Status::Malformed);
}

TEST(MultipartBoundary, ComesFromTheContentType)
{
    std::string boundary;
    EXPECT_TRUE(MultipartParser::boundaryOf("multipart/form-data; boundary=abc123", boundary));
    EXPECT_EQ(boundary, "abc123");
    EXPECT_TRUE(MultipartParser::boundaryOf("Multipart/Form-Data; charset=utf-8; BOUNDARY=\"a b;c\"", boundary));
    EXPECT_EQ(boundary, "a b;c");
}

TEST(MultipartBoundary, IsRefusedWhenMissingEmptyOrTooLong)
{
    std::string boundary;
    EXPECT_FALSE(MultipartParser::boundaryOf("multipart/form-data", boundary));
    EXPECT_FALSE(MultipartParser::boundaryOf("multipart/form-data; boundary=", boundary));
    EXPECT_FALSE(MultipartParser::boundaryOf("multipart/form-data; boundary=" + std::string(71, 'b'), boundary));
    EXPECT_FALSE(MultipartParser::boundaryOf("multipart/mixed; boundary=abc", boundary));
    EXPECT_FALSE(MultipartParser::boundaryOf("text/plain", boundary));
}

TEST(MultipartPartHeaders, ReadNameFileNameAndType)
{
    PartHeaders headers = PartHeaders::parse(
        "content-disposition: form-data; name=\"upload\"; filename=\"C:\\docs\\a;b.xml\"\r\n"
        "Content-Type:  application/xml \r\n");
    EXPECT_EQ(headers.name, "upload");
    EXPECT_TRUE(headers.hasFileName);
    EXPECT_EQ(headers.fileName, "C:\\docs\\a;b.xml");
    EXPECT_EQ(headers.contentType, "application/xml");
}

TEST(MultipartPartHeaders, PreferTheExtendedFileName)
{
    PartHeaders headers = PartHeaders::parse(
        "Content-Disposition: form-data; name=f; filename=\"x.txt\"; filename*=UTF-8''%E6%8A%A5%E8%A1%A8.xls\r\n");
    EXPECT_EQ(headers.name, "f");
    EXPECT_EQ(headers.fileName, "\xE6\x8A\xA5\xE8\xA1\xA8.xls");
}

TEST(MultipartPartHeaders, FoldedLinesContinueAndOtherDispositionsHaveNoName)
{
    PartHeaders folded = PartHeaders::parse("Content-Disposition: form-data;\r\n name=\"a\"\r\n");
    EXPECT_EQ(folded.name, "a");
    PartHeaders attachment = PartHeaders::parse("Content-Disposition: attachment; name=\"a\"\r\n");
    EXPECT_TRUE(attachment.name.empty());
}
