#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "TempFolder.h"
#include "Text.h"
#include "host/MultipartForm.h"
#include "host/RequestBody.h"
#include "host/UploadFolder.h"
#include "host/UploadName.h"

using host::Limits;
using host::MultipartForm;
using host::TemporaryFiles;
using host::UploadFolder;
using Result = MultipartForm::Result;

namespace {

const std::string BOUNDARY = "XyZ";

std::string field(const std::string& name, const std::string& value)
{
    return "--" + BOUNDARY + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string file(const std::string& name, const std::string& fileName, const std::string& content)
{
    return "--" + BOUNDARY + "\r\nContent-Disposition: form-data; name=\"" + name + "\"; filename=\"" + fileName
         + "\"\r\nContent-Type: text/csv\r\n\r\n" + content + "\r\n";
}

std::string end()
{
    return "--" + BOUNDARY + "--\r\n";
}

size_t filesIn(const std::string& folder)
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

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
    TemporaryFiles files;
    Limits limits;
    std::unique_ptr<MultipartForm> form;
};

} // namespace

TEST_F(MultipartFormUpload, FieldsAreCollectedInOrder)
{
    ASSERT_EQ(receive(field("cmd", "save") + field("rmrks", "\xE5\xA4\x87\xE6\xB3\xA8") + field("cmd", "again") + end(), 3),
              Result::Complete);
    auto& fields = form->fields();
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(text(fields[0].name), "cmd");
    EXPECT_EQ(text(fields[0].value), "save");
    EXPECT_EQ(fields[1].value, u"\u5907\u6CE8");
    EXPECT_EQ(text(fields[2].value), "again");
    EXPECT_TRUE(form->uploads().empty());
}

TEST_F(MultipartFormUpload, FilesAreStoredPrivatelyUnderNamesOfTheServer)
{
    std::string content(100000, 'q');
    ASSERT_EQ(receive(file("file", "../../etc/passwd.csv", content) + end(), 1000), Result::Complete);
    ASSERT_EQ(form->uploads().size(), 1u);
    const host::UploadedFile& upload = form->uploads()[0];
    EXPECT_EQ(text(upload.fieldName), "file");
    EXPECT_EQ(text(upload.fileName), "passwd.csv");
    EXPECT_EQ(text(upload.contentType), "text/csv");
    EXPECT_EQ(upload.size, 100000);
    EXPECT_FALSE(upload.failed());
    EXPECT_EQ(std::filesystem::path(upload.path).parent_path(), std::filesystem::path(uploads.folder()));
    std::string stored = std::filesystem::path(upload.path).filename().string();
    EXPECT_EQ(stored.rfind(UploadFolder::PREFIX, 0), 0u) << stored;
    EXPECT_EQ(stored.find("passwd"), std::string::npos);
    EXPECT_EQ(std::filesystem::path(upload.path).extension(), ".csv");
    EXPECT_EQ(TempFolder::read(upload.path), content);
    struct stat info {};
    ASSERT_EQ(::stat(upload.path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(files.paths().size(), 1u);
    EXPECT_EQ(files.paths()[0], upload.path);
}

TEST_F(MultipartFormUpload, TemporaryFilesGoUnlessKept)
{
    ASSERT_EQ(receive(file("a", "a.txt", "1") + file("b", "b.txt", "2") + end()), Result::Complete);
    std::string kept = form->uploads()[1].path;
    EXPECT_TRUE(files.keep(kept));
    files.removeAll();
    EXPECT_FALSE(std::filesystem::exists(form->uploads()[0].path));
    EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST_F(MultipartFormUpload, AFileInputLeftEmptyIsAnEmptyField)
{
    ASSERT_EQ(receive(file("file", "", "") + end()), Result::Complete);
    EXPECT_TRUE(form->uploads().empty());
    ASSERT_EQ(form->fields().size(), 1u);
    EXPECT_EQ(text(form->fields()[0].name), "file");
    EXPECT_TRUE(form->fields()[0].value.empty());
    EXPECT_EQ(filesIn(uploads.folder()), 0u);
}

TEST_F(MultipartFormUpload, RefusedClientNamesFailTheUploadAndKeepNothing)
{
    ASSERT_EQ(receive(file("a", "dir/..", "x") + file("b", "bad\x01name", "y") + end()), Result::Complete);
    ASSERT_EQ(form->uploads().size(), 2u);
    EXPECT_TRUE(form->uploads()[0].failed());
    EXPECT_TRUE(form->uploads()[1].failed());
    EXPECT_TRUE(form->uploads()[0].path.empty());
    EXPECT_EQ(filesIn(uploads.folder()), 0u);
}

TEST_F(MultipartFormUpload, AFileOverItsLimitFailsAndTheFormGoesOn)
{
    limits.maxFileBytes = 10;
    ASSERT_EQ(receive(file("big", "big.xml", std::string(11, 'b')) + file("small", "s.xml", "0123456789")
                          + field("cmd", "import") + end(),
                      4),
              Result::Complete);
    ASSERT_EQ(form->uploads().size(), 2u);
    EXPECT_TRUE(form->uploads()[0].failed());
    EXPECT_FALSE(form->uploads()[1].failed());
    EXPECT_EQ(form->uploads()[1].size, 10);
    EXPECT_EQ(filesIn(uploads.folder()), 1u);
    EXPECT_EQ(files.paths().size(), 1u);
    ASSERT_EQ(form->fields().size(), 1u);
}

TEST_F(MultipartFormUpload, AllUploadsTogetherHaveALimit)
{
    limits.maxUploadBytes = 15;
    EXPECT_EQ(receive(file("a", "a.txt", std::string(10, 'a')) + file("b", "b.txt", std::string(10, 'b')) + end()),
              Result::TooLarge);
    files.removeAll();
    EXPECT_EQ(filesIn(uploads.folder()), 0u);
}

TEST_F(MultipartFormUpload, AFieldOverItsLimitRefusesTheForm)
{
    limits.maxFieldBytes = 8;
    EXPECT_EQ(receive(field("ok", "12345678") + end()), Result::Complete);
    EXPECT_EQ(receive(field("big", "123456789") + end(), 2), Result::TooLarge);
}

TEST_F(MultipartFormUpload, FieldsTogetherAndPartsHaveLimits)
{
    limits.maxFieldsBytes = 10;
    EXPECT_EQ(receive(field("a", "1234") + field("b", "56789") + end()), Result::TooLarge); // names count too
    limits.maxFieldsBytes = 1000;
    limits.maxParts = 2;
    EXPECT_EQ(receive(field("a", "1") + field("b", "2") + field("c", "3") + end()), Result::TooLarge);
}

TEST_F(MultipartFormUpload, ABodyCutShortIsMalformedAndLeavesNoFileBehind)
{
    std::string body = file("f", "f.txt", "partial content");
    EXPECT_EQ(receive(body.substr(0, body.size() - 4)), Result::Malformed);
    files.removeAll();
    EXPECT_EQ(filesIn(uploads.folder()), 0u);
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

TEST(UploadNames, KeepOnlyTheBareName)
{
    tessel::String name;
    ASSERT_TRUE(host::UploadName::bareName("C:\\Users\\li\\stock.xml", name));
    EXPECT_EQ(text(name), "stock.xml");
    ASSERT_TRUE(host::UploadName::bareName("/home/li/a b.csv", name));
    EXPECT_EQ(text(name), "a b.csv");
    ASSERT_TRUE(host::UploadName::bareName("\xE6\x8A\xA5\xE8\xA1\xA8.xls", name));
    EXPECT_EQ(name, u"\u62A5\u8868.xls");
}

TEST(UploadNames, RefuseFolderWordsControlCharactersAndEmptyNames)
{
    tessel::String name;
    for (const char* refused : {"", "..", ".", "a/", "a\\..", "x\ny.txt", "tab\t.txt", "del\x7F"})
        EXPECT_FALSE(host::UploadName::bareName(refused, name)) << refused;
    EXPECT_FALSE(host::UploadName::bareName(std::string(256, 'n'), name));
}

TEST(UploadNames, KeepAPlainExtensionOnly)
{
    EXPECT_EQ(host::UploadName::safeExtension("stock.XML"), "xml");
    EXPECT_EQ(host::UploadName::safeExtension("data.tar.gz"), "gz");
    EXPECT_EQ(host::UploadName::safeExtension(".profile"), "");
    EXPECT_EQ(host::UploadName::safeExtension("a.c$v"), "");
    EXPECT_EQ(host::UploadName::safeExtension("noextension"), "");
}

TEST(RequestBodies, UrlEncodedBodiesBecomeFields)
{
    TempFolder temp;
    UploadFolder uploads(temp / "upload");
    TemporaryFiles files;
    Limits limits;
    host::RequestBody body("application/x-www-form-urlencoded; charset=UTF-8", uploads, files, limits);
    EXPECT_TRUE(body.feed("cmd=sa"));
    EXPECT_TRUE(body.feed("ve&name=%E6%9D%8E"));
    EXPECT_EQ(body.finish(), 0);
    ASSERT_EQ(body.fields().size(), 2u);
    EXPECT_EQ(text(body.fields()[0].value), "save");
    EXPECT_EQ(body.fields()[1].value, u"\u674E");
}

TEST(RequestBodies, BoundsAndMalformedFormsGiveTheirStatus)
{
    TempFolder temp;
    UploadFolder uploads(temp / "upload");
    TemporaryFiles files;
    Limits limits;
    limits.maxFormBytes = 4;
    host::RequestBody large("application/x-www-form-urlencoded", uploads, files, limits);
    EXPECT_FALSE(large.feed("a=123"));
    EXPECT_EQ(large.finish(), 413);
    host::RequestBody noBoundary("multipart/form-data", uploads, files, limits);
    EXPECT_EQ(noBoundary.status(), 400);
    host::RequestBody other("text/xml", uploads, files, limits);
    EXPECT_TRUE(other.feed("<a/>"));
    EXPECT_EQ(other.finish(), 0);
    EXPECT_EQ(other.raw(), "<a/>");
}
