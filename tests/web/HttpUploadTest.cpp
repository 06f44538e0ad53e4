#include <gtest/gtest.h>

#include <filesystem>

#include "../core/TempFolder.h"
#include "tessel/core/IInputStream.h"
#include "tessel/web/HttpUpload.h"

using namespace tessel;
using tessel::testing::TempFolder;

namespace {

std::u16string text(const String& s) { return std::u16string(s.c_str(), static_cast<size_t>(s.size())); }

String path(const std::string& native) { return String::fromUTF8(native); }

} // namespace

TEST(HttpUploadName, KeepsOnlyTheBareName)
{
    HttpUpload upload;
    upload.setFileName(u"report.xls");
    EXPECT_EQ(u"report.xls", text(upload.getFileName()));
    upload.setFileName(u"C:\\Users\\li\\报表.xls");
    EXPECT_EQ(u"报表.xls", text(upload.getFileName()));
    upload.setFileName(u"../../etc/passwd");
    EXPECT_EQ(u"passwd", text(upload.getFileName()));
    upload.setFileName(u"..");
    EXPECT_EQ(u"", text(upload.getFileName()));
    upload.setFileName(u"dir/..");
    EXPECT_EQ(u"", text(upload.getFileName()));
    upload.setFileName(u"dir/");
    EXPECT_EQ(u"", text(upload.getFileName()));
    upload.setFileName(String(u"a\0b\r\n.txt", 9));
    EXPECT_EQ(u"ab.txt", text(upload.getFileName()));
    upload.setFileName(u"..a");
    EXPECT_EQ(u"..a", text(upload.getFileName())) << "dots inside a name are a name";
}

TEST(HttpUploadName, ANegativeSizeMarksAFailure)
{
    HttpUpload upload;
    EXPECT_FALSE(upload.isError());
    upload.setSize(-1);
    EXPECT_TRUE(upload.isError());
    upload.setSize(5000000000);
    EXPECT_EQ(5000000000, upload.getSize());
}

TEST(HttpUploadPath, PlainPathsOnly)
{
    EXPECT_TRUE(HttpUpload::isPlainPath(u"/srv/uploads/a.txt"));
    EXPECT_TRUE(HttpUpload::isPlainPath(u"uploads/./a.txt"));
    EXPECT_TRUE(HttpUpload::isPlainPath(u"uploads/..a"));
    EXPECT_FALSE(HttpUpload::isPlainPath(u"/srv/uploads/../../etc/passwd"));
    EXPECT_FALSE(HttpUpload::isPlainPath(u"uploads\\..\\x"));
    EXPECT_FALSE(HttpUpload::isPlainPath(u".."));
    EXPECT_FALSE(HttpUpload::isPlainPath(u"uploads/"));
    EXPECT_FALSE(HttpUpload::isPlainPath(u"uploads/."));
    EXPECT_FALSE(HttpUpload::isPlainPath(u""));
    EXPECT_FALSE(HttpUpload::isPlainPath(String(u"a\0/../b", 7)));
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

TEST(HttpUploadFile, RefusesStepsOutOfTheFolder)
{
    TempFolder folder;
    std::filesystem::create_directories(folder / "keep");
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "data")));
    EXPECT_FALSE(upload.moveTo(path(folder / "keep/../escaped.txt"), false));
    EXPECT_FALSE(std::filesystem::exists(folder / "escaped.txt"));
    EXPECT_FALSE(upload.moveTo(u"", false));
    EXPECT_TRUE(std::filesystem::exists(folder / "stored.tmp"));
}

TEST(HttpUploadFile, OverwritesOnlyWhenAsked)
{
    TempFolder folder;
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "new")));
    std::string existing = folder.write("existing.txt", "old");
    EXPECT_FALSE(upload.moveTo(path(existing), false));
    EXPECT_EQ("old", TempFolder::read(existing));
    EXPECT_TRUE(upload.moveTo(path(existing), true));
    EXPECT_EQ("new", TempFolder::read(existing));
}

TEST(HttpUploadFile, AFailedUploadCannotMove)
{
    TempFolder folder;
    HttpUpload upload;
    upload.setFullPath(path(folder.write("stored.tmp", "x")));
    upload.setSize(-1);
    EXPECT_FALSE(upload.moveTo(path(folder / "moved.txt"), false));
    HttpUpload empty;
    EXPECT_FALSE(empty.moveTo(path(folder / "moved.txt"), false));
}
