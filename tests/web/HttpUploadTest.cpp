#include <gtest/gtest.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "tessel/core/IInputStream.h"
#include "tessel/web/HttpUpload.h"

using namespace tessel;
using tessel::testing::TempFolder;

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

String path(const std::string& native)
{
    return String::fromUTF8(native);
}

} // namespace

TEST(HttpUploadName, FileNamesAreBareNamesAndPathsArePlain)
{
    struct Name {
        String given;
        const char16_t* kept;
    } names[] = {
        {u"report.xls", u"report.xls"},
        {u"C:\\Users\\li\\报表.xls", u"报表.xls"},
        {u"../../etc/passwd", u"passwd"},
        {u"..", u""},
        {u"dir/..", u""},
        {u"dir/", u""},
        {String(u"a\0b\r\n.txt", 9), u"ab.txt"},
        {u"..a", u"..a"}, // dots inside a name are a name
    };
    for (const Name& name : names) {
        HttpUpload upload;
        upload.setFileName(name.given);
        EXPECT_EQ(name.kept, text(upload.getFileName())) << name.given.toStdString();
    }

    struct Path {
        String path;
        bool plain;
    } paths[] = {
        {u"/srv/uploads/a.txt", true},
        {u"uploads/./a.txt", true},
        {u"uploads/..a", true},
        {u"/srv/uploads/../../etc/passwd", false},
        {u"uploads\\..\\x", false},
        {u"..", false},
        {u"uploads/", false},
        {u"uploads/.", false},
        {u"", false},
        {String(u"a\0/../b", 7), false},
    };
    for (const Path& path : paths)
        EXPECT_EQ(path.plain, HttpUpload::isPlainPath(path.path)) << path.path.toStdString();
}

TEST(HttpUploadFile, OpensTheStoredFile)
{
    TempFolder folder;
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "hello")));
    upload.setSize(5);
    Ref<IInputStream> stream;
    ASSERT_TRUE(upload.open(stream.out()));
    String content;
    ASSERT_TRUE(stream->toString(content, 65001));
    EXPECT_EQ(u"hello", text(content));
    EXPECT_FALSE(upload.open(nullptr));

    upload.setSize(5000000000);
    EXPECT_EQ(5000000000, upload.getSize()) << "sizes beyond 32 bits";
    upload.setSize(-1);
    Ref<IInputStream> none;
    EXPECT_FALSE(upload.open(none.out()));
}

TEST(HttpUploadFile, MovesIntoTheFolderItIsGiven)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "keep");
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "data")));
    upload.setFileName(u"../outside.txt");

    String target = path(folder / "keep/") + upload.getFileName();
    ASSERT_TRUE(upload.moveTo(target, false));
    EXPECT_TRUE(std::filesystem::exists(folder / "keep/outside.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "outside.txt"));
    EXPECT_EQ(text(target), text(upload.getFullPath()));
}

TEST(HttpUploadFile, AFailedUploadOrAStepOutOfTheFolderDoesNotMove)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "keep");
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "data")));
    EXPECT_FALSE(upload.moveTo(path(folder / "keep/../escaped.txt"), false));
    EXPECT_FALSE(std::filesystem::exists(folder / "escaped.txt"));
    EXPECT_FALSE(upload.moveTo(u"", false));
    EXPECT_TRUE(std::filesystem::exists(folder / "stored.tmp"));
    HttpUpload empty;
    EXPECT_FALSE(empty.moveTo(path(folder / "moved.txt"), false));
    upload.setSize(-1);
    EXPECT_TRUE(upload.isError()) << "a negative size marks a failure";
    EXPECT_FALSE(upload.moveTo(path(folder / "moved.txt"), false));
}
