// multipart/form-data from the parser up: parts cut anywhere, malformed
// bodies, the limits of a form, and uploads stored privately under the
// server's own names and removed unless kept.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "Text.h"
#include "host/MultipartForm.h"
#include "host/MultipartParser.h"
#include "host/RequestBody.h"
#include "host/UploadFolder.h"
#include "host/UploadName.h"

using tessel::testing::TempFolder;

using host::Limits;
using host::MultipartForm;
using host::MultipartParser;
using host::PartHeaders;
using host::UploadFolder;
using Status = MultipartParser::Status;
using Result = MultipartForm::Result;

namespace {

const std::string BOUNDARY = "----form7MA4YWxk";

std::string part(const std::string& disposition, const std::string& content, const std::string& type = "")
{
    std::string text = "--" + BOUNDARY + "\r\nContent-Disposition: form-data; " + disposition + "\r\n";
    if (!type.empty())
        text += "Content-Type: " + type + "\r\n";
    return text + "\r\n" + content + "\r\n";
}
std::string field(const std::string& name, const std::string& value)
{
    return part("name=\"" + name + "\"", value);
}
std::string file(const std::string& name, const std::string& fileName, const std::string& content)
{
    return part("name=\"" + name + "\"; filename=\"" + fileName + "\"", content, "text/csv");
}
const std::string CLOSING = "--" + BOUNDARY + "--\r\n";

// Writes down what the parser reports, one "[name|file|type|content|end]"
// per part; content pieces are joined, so that the record does not depend
// on where the body was cut.
class Recorder : public MultipartParser::Handler {
public:
    bool onPartBegin(const PartHeaders& headers) override
    {
        record += "[" + headers.name + "|" + (headers.hasFileName ? headers.fileName : "-") + "|" +
                  headers.contentType + "|";
        return ++parts <= stopAfterParts;
    }
    bool onPartData(std::string_view bytes) override
    {
        record.append(bytes);
        return true;
    }
    bool onPartEnd() override
    {
        record += "|end]";
        return true;
    }

    std::string record;
    size_t parts = 0;
    size_t stopAfterParts = 1000;
};

Status parse(const std::string& body, Recorder& recorder, size_t piece = std::string::npos)
{
    MultipartParser parser(BOUNDARY, recorder);
    for (size_t at = 0; at < body.size(); at += piece)
        parser.feed(std::string_view(body).substr(at, piece));
    return parser.finish();
}

size_t filesIn(const std::string& folder)
{
    auto entries = std::filesystem::directory_iterator(folder);
    return static_cast<size_t>(std::distance(begin(entries), end(entries)));
}

} // namespace

TEST(MultipartParser, EveryCutOfTheBodyGivesTheSameParts)
{
    // Content that keeps almost meeting the delimiter, and every byte value.
    std::string tricky = "x\r\n--" + BOUNDARY.substr(0, 5) + "\r\n\r\n-" + BOUNDARY + "\r\n--" +
                         BOUNDARY.substr(0, BOUNDARY.size() - 1) + "\r\r\n-";
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    binary += std::string("\0\r\n\0", 4);
    std::string body = "preamble\r\n" + part("name=\"a\"", tricky) + part("name=\"b\"", "") +
                       part("name=\"file\"; filename=\"stock.csv\"", binary, "text/csv") + CLOSING + "epilogue";
    std::string expected = "[a|-||" + tricky + "|end][b|-|||end][file|stock.csv|text/csv|" + binary + "|end]";
    for (size_t piece :
         {std::string::npos, size_t(1), size_t(2), size_t(3), size_t(5), size_t(7), size_t(16), size_t(41)}) {
        Recorder cut;
        ASSERT_EQ(parse(body, cut, piece), Status::Complete) << piece;
        EXPECT_EQ(cut.record, expected) << piece;
    }
}

TEST(MultipartParser, ReadsPaddingAndBareParts_RefusesMalformedBodies)
{
    const std::string delimiter = "--" + BOUNDARY;
    const std::string overlong = delimiter + "\r\nX-Filler: " + std::string(MultipartParser::MAX_HEADER_BYTES, 'x');
    const struct {
        std::string body;
        Status expected;
        std::string record;
    } rows[] = {
        {delimiter + "  \t\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n" + CLOSING, Status::Complete,
         "[a|-||1|end]"},
        {delimiter + "\r\n\r\nfree text\r\n" + CLOSING, Status::Complete, "[|-||free text|end]"},
        {field("a", "1"), Status::Malformed, ""}, // no closing delimiter
        {delimiter + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nhalf", Status::Malformed, ""},
        {"", Status::Malformed, ""},
        {delimiter + "junk\r\n\r\n", Status::Malformed, ""},
        {overlong + "\r\n\r\n" + CLOSING, Status::Malformed, ""},
    };
    for (const auto& row : rows) {
        Recorder recorder;
        EXPECT_EQ(parse(row.body, recorder), row.expected) << row.body.substr(0, 80);
        if (row.expected == Status::Complete) {
            EXPECT_EQ(recorder.record, row.record) << row.body;
        }
    }
    Recorder neverEnding; // a header block that never ends fails at once
    MultipartParser parser(BOUNDARY, neverEnding);
    EXPECT_EQ(parser.feed(overlong), Status::Malformed);
    EXPECT_EQ(neverEnding.parts, 0u);
    Recorder noBoundary;
    EXPECT_EQ(MultipartParser("", noBoundary).feed("--\r\n\r\n"), Status::Malformed);
}

TEST(MultipartParser, TheHandlerCanStopTheParse)
{
    Recorder recorder;
    recorder.stopAfterParts = 1;
    EXPECT_EQ(parse(field("a", "1") + field("b", "2") + CLOSING, recorder), Status::Stopped);
    EXPECT_EQ(recorder.record, "[a|-||1|end][b|-||"); // nothing of the second part's content
}

TEST(MultipartParser, TakesTheBoundaryFromTheContentType)
{
    std::string boundary;
    EXPECT_TRUE(MultipartParser::boundaryOf("multipart/form-data; boundary=abc123", boundary));
    EXPECT_EQ(boundary, "abc123");
    EXPECT_TRUE(MultipartParser::boundaryOf("Multipart/Form-Data; charset=utf-8; BOUNDARY=\"a b;c\"", boundary));
    EXPECT_EQ(boundary, "a b;c");
    for (const std::string& refused :
         {std::string("multipart/form-data"), std::string("multipart/form-data; boundary="),
          "multipart/form-data; boundary=" + std::string(71, 'b'), std::string("multipart/mixed; boundary=abc"),
          std::string("text/plain")}) {
        EXPECT_FALSE(MultipartParser::boundaryOf(refused, boundary)) << refused;
    }
}

TEST(MultipartParser, ReadsPartHeaders)
{
    PartHeaders headers = PartHeaders::parse(
        "content-disposition: form-data; name=\"upload\"; filename=\"C:\\docs\\a;b.xml\"\r\n"
        "Content-Type:  application/xml \r\n");
    EXPECT_EQ(headers.name, "upload");
    EXPECT_TRUE(headers.hasFileName);
    EXPECT_EQ(headers.fileName, "C:\\docs\\a;b.xml");
    EXPECT_EQ(headers.contentType, "application/xml");
    PartHeaders extended = PartHeaders::parse(
        "Content-Disposition: form-data; name=f; filename=\"x.txt\"; filename*=UTF-8''%E6%8A%A5%E8%A1%A8.xls\r\n");
    EXPECT_EQ(extended.name, "f");
    EXPECT_EQ(extended.fileName, "\xE6\x8A\xA5\xE8\xA1\xA8.xls");
    EXPECT_EQ(PartHeaders::parse("Content-Disposition: form-data;\r\n name=\"a\"\r\n").name, "a"); // folded
    EXPECT_TRUE(PartHeaders::parse("Content-Disposition: attachment; name=\"a\"\r\n").name.empty());
}

namespace {

class MultipartFormUpload : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(uploads.prepare()); }

    Result receive(const std::string& body, size_t piece = 4096)
    {
        form = std::make_unique<MultipartForm>(BOUNDARY, uploads, files, limits);
        for (size_t at = 0; at < body.size(); at += piece) {
            if (!form->feed(std::string_view(body).substr(at, piece)))
                break;
        }
        return form->finish();
    }

    TempFolder temp;
    UploadFolder uploads{temp / "upload"};
    host::TemporaryFiles files;
    Limits limits;
    std::unique_ptr<MultipartForm> form;
};

} // namespace

TEST_F(MultipartFormUpload, FieldsAreCollectedInOrderAndAnEmptyFileInputIsAField)
{
    ASSERT_EQ(receive(field("cmd", "save") + field("rmrks", "\xE5\xA4\x87\xE6\xB3\xA8") + field("cmd", "again") +
                          file("file", "", "") + CLOSING,
                      3),
              Result::Complete);
    auto& fields = form->fields();
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(text(fields[0].name), "cmd");
    EXPECT_EQ(text(fields[0].value), "save");
    EXPECT_EQ(fields[1].value, u"\u5907\u6CE8");
    EXPECT_EQ(text(fields[2].value), "again");
    EXPECT_EQ(text(fields[3].name), "file");
    EXPECT_TRUE(fields[3].value.empty());
    EXPECT_TRUE(form->uploads().empty());
    EXPECT_EQ(filesIn(uploads.folder()), 0u);
}

TEST_F(MultipartFormUpload, FilesAreStoredPrivatelyUnderNamesOfTheServer)
{
    std::string content(100000, 'q');
    ASSERT_EQ(receive(file("file", "../../etc/passwd.csv", content) + CLOSING, 1000), Result::Complete);
    ASSERT_EQ(form->uploads().size(), 1u);
    const host::UploadedFile& upload = form->uploads()[0];
    EXPECT_EQ(text(upload.fieldName), "file");
    EXPECT_EQ(text(upload.fileName), "passwd.csv");
    EXPECT_EQ(text(upload.contentType), "text/csv");
    EXPECT_EQ(upload.size, 100000);
    EXPECT_FALSE(upload.failed());
    std::filesystem::path stored(upload.path);
    EXPECT_EQ(stored.parent_path(), std::filesystem::path(uploads.folder()));
    EXPECT_EQ(stored.filename().string().rfind(UploadFolder::PREFIX, 0), 0u) << stored;
    EXPECT_EQ(stored.filename().string().find("passwd"), std::string::npos);
    EXPECT_EQ(stored.extension(), ".csv");
    EXPECT_EQ(TempFolder::read(upload.path), content);
    struct stat info {};
    ASSERT_EQ(::stat(upload.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(files.paths().size(), 1u);
    EXPECT_EQ(files.paths()[0], upload.path);
}

TEST_F(MultipartFormUpload, TemporaryFilesGoUnlessKept)
{
    ASSERT_EQ(receive(file("a", "a.txt", "1") + file("b", "b.txt", "2") + CLOSING), Result::Complete);
    std::string kept = form->uploads()[1].path;
    EXPECT_TRUE(files.keep(kept));
    files.removeAll();
    EXPECT_FALSE(std::filesystem::exists(form->uploads()[0].path));
    EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST_F(MultipartFormUpload, RefusedNamesAndFilesOverTheirLimitFailAndTheFormGoesOn)
{
    limits.maxFileBytes = 10;
    ASSERT_EQ(receive(file("a", "dir/..", "x") + file("b", "bad\x01name", "y") +
                          file("big", "big.xml", std::string(11, 'b')) + file("small", "s.xml", "0123456789") +
                          field("cmd", "import") + CLOSING,
                      4),
              Result::Complete);
    auto& stored = form->uploads();
    ASSERT_EQ(stored.size(), 4u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(stored[i].failed()) << i;
    EXPECT_TRUE(stored[0].path.empty());
    EXPECT_FALSE(stored[3].failed());
    EXPECT_EQ(stored[3].size, 10);
    EXPECT_EQ(filesIn(uploads.folder()), 1u);
    EXPECT_EQ(files.paths().size(), 1u);
    EXPECT_EQ(form->fields().size(), 1u);
}

TEST_F(MultipartFormUpload, FormsOverTheirLimitsOrCutShortAreRefusedAndLeaveNoFile)
{
    std::string cut = file("f", "f.txt", "partial content");
    const struct {
        void (*limit)(Limits&);
        std::string body;
        size_t piece;
        Result expected;
    } rows[] = {
        {[](Limits& l) { l.maxUploadBytes = 15; },
         file("a", "a.txt", std::string(10, 'a')) + file("b", "b.txt", std::string(10, 'b')) + CLOSING, 4096,
         Result::TooLarge},
        {[](Limits& l) { l.maxFieldBytes = 8; }, field("ok", "12345678") + CLOSING, 4096, Result::Complete},
        {[](Limits& l) { l.maxFieldBytes = 8; }, field("big", "123456789") + CLOSING, 2, Result::TooLarge},
        {[](Limits& l) { l.maxFieldsBytes = 10; }, field("a", "1234") + field("b", "56789") + CLOSING, 4096,
         Result::TooLarge}, // names count too
        {[](Limits& l) { l.maxParts = 2; }, field("a", "1") + field("b", "2") + field("c", "3") + CLOSING, 4096,
         Result::TooLarge},
        {[](Limits&) {}, cut.substr(0, cut.size() - 4), 4096, Result::Malformed},
    };
    for (const auto& row : rows) {
        limits = Limits();
        row.limit(limits);
        EXPECT_EQ(receive(row.body, row.piece), row.expected) << row.body;
        files.removeAll();
        EXPECT_EQ(filesIn(uploads.folder()), 0u) << row.body;
    }
}

TEST(UploadFolderPreparation, RemovesWhatAnEarlierRunLeft)
{
    TempFolder temp;
    temp.write("upload/upload-1-dead.tmp", "stale");
    temp.write("upload/keep.txt", "not ours");
    UploadFolder uploads(temp / "upload");
    ASSERT_TRUE(uploads.prepare());
    EXPECT_FALSE(std::filesystem::exists(temp / "upload/upload-1-dead.tmp"));
    EXPECT_TRUE(std::filesystem::exists(temp / "upload/keep.txt"));
    struct stat info {};
    ASSERT_EQ(::stat(uploads.folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(UploadNames, KeepOnlyAPlainBareNameAndExtension)
{
    const std::pair<std::string, std::string> kept[] = {
        {"C:\\Users\\li\\stock.xml", "stock.xml"},
        {"/home/li/a b.csv", "a b.csv"},
        {"\xE6\x8A\xA5\xE8\xA1\xA8.xls", "\xE6\x8A\xA5\xE8\xA1\xA8.xls"},
    };
    tessel::String name;
    for (const auto& [client, bare] : kept) {
        ASSERT_TRUE(host::UploadName::bareName(client, name)) << client;
        EXPECT_EQ(text(name), bare) << client;
    }
    for (const std::string& refused :
         {std::string(""), std::string(".."), std::string("."), std::string("a/"), std::string("a\\.."),
          std::string("x\ny.txt"), std::string("tab\t.txt"), std::string("del\x7F"), std::string(256, 'n')}) {
        EXPECT_FALSE(host::UploadName::bareName(refused, name)) << refused;
    }
    const std::pair<const char*, const char*> extensions[] = {
        {"stock.XML", "xml"}, {"data.tar.gz", "gz"}, {".profile", ""}, {"a.c$v", ""}, {"noextension", ""},
    };
    for (const auto& [bare, extension] : extensions)
        EXPECT_EQ(host::UploadName::safeExtension(bare), extension) << bare;
}

TEST(RequestBodies, AreDecodedByTheirTypeWithinTheirBounds)
{
    TempFolder temp;
    UploadFolder uploads(temp / "upload");
    host::TemporaryFiles files;
    Limits limits;
    host::RequestBody form("application/x-www-form-urlencoded; charset=UTF-8", uploads, files, limits);
    EXPECT_TRUE(form.feed("cmd=sa"));
    EXPECT_TRUE(form.feed("ve&name=%E6%9D%8E"));
    EXPECT_EQ(form.finish(), 0);
    ASSERT_EQ(form.fields().size(), 2u);
    EXPECT_EQ(text(form.fields()[0].value), "save");
    EXPECT_EQ(form.fields()[1].value, u"\u674E");

    limits.maxFormBytes = 4;
    host::RequestBody large("application/x-www-form-urlencoded", uploads, files, limits);
    EXPECT_FALSE(large.feed("a=123"));
    EXPECT_EQ(large.finish(), 413);
    EXPECT_EQ(host::RequestBody("multipart/form-data", uploads, files, limits).status(), 400);
    host::RequestBody other("text/xml", uploads, files, limits);
    EXPECT_TRUE(other.feed("<a/>"));
    EXPECT_EQ(other.finish(), 0);
    EXPECT_EQ(other.raw(), "<a/>");
}
