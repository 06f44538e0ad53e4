#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "TempFolder.h"
#include "host/Downloads.h"
#include "host/HttpDate.h"
#include "host/MimeTypes.h"
#include "host/SafePath.h"
#include "host/StaticFiles.h"

using host::Downloads;
using host::FileInfo;
using host::SafePath;
using host::StaticFiles;

namespace {

// <temp>/app/static with a few files, and secrets next to it.
class ServedFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        temp.write("app/config.xml", "<config secret='1'/>");
        temp.write("app/static/site.css", "body{}");
        temp.write("app/static/img/logo.png", "PNG");
        temp.write("app/static/.hidden", "dot");
        temp.write("app/static/app.ini", "key=1");
        temp.write("outside.txt", "outside");
        ASSERT_EQ(::symlink((temp / "outside.txt").c_str(), (temp / "app/static/link.txt").c_str()), 0);
        ASSERT_EQ(::symlink((temp / "app/static/site.css").c_str(), (temp / "app/static/alias.css").c_str()), 0);
    }

    bool found(std::string_view encoded)
    {
        FileInfo file;
        return files.find(encoded, file);
    }

    TempFolder temp;
    StaticFiles files{temp / "app/static"};
};

} // namespace

TEST_F(ServedFolder, ServesFilesInsideTheFolder)
{
    FileInfo file;
    ASSERT_TRUE(files.find("site.css", file));
    EXPECT_EQ(file.size, 6u);
    EXPECT_EQ(file.path, std::filesystem::canonical(temp / "app/static/site.css").string());
    EXPECT_GT(file.modified, 0);
    EXPECT_TRUE(found("img/logo.png"));
    EXPECT_TRUE(found("img/%6Cogo.png"));
    EXPECT_TRUE(found("alias.css")); // a link that stays inside
}

TEST_F(ServedFolder, RefusesEveryWayOut)
{
    for (const char* path : {"../config.xml", "img/../../config.xml", "./site.css", "img/./logo.png", "..",
                             "%2e%2e/config.xml", "%2E%2E/config.xml", "..%2fconfig.xml", "..%2Fconfig.xml",
                             "..%5cconfig.xml", "..\\config.xml", "img%2flogo.png", "site.css%00.png", "%00",
                             "%252e%252e/config.xml", "/etc/passwd", "img//logo.png", "link.txt", "img/", "img",
                             "", "%", "%4", "%zz"}) {
        EXPECT_FALSE(found(path)) << path;
    }
    EXPECT_FALSE(found(std::string("site.css\0", 9)));
}

TEST_F(ServedFolder, RefusesHiddenAndServerFiles)
{
    EXPECT_FALSE(found(".hidden"));
    EXPECT_FALSE(found("app.ini"));
    EXPECT_FALSE(found("missing.css"));
    for (const char* name : {"a.db", "b.sqlite", "c.log", "d.so", "config.xml", "settings.ini", "x.BAK"})
        EXPECT_FALSE(StaticFiles::isServable(name)) << name;
    for (const char* name : {"a.css", "b.js", "c.png", "stock.xml", "README"})
        EXPECT_TRUE(StaticFiles::isServable(name)) << name;
}

TEST(SafePaths, BareNamesHaveNoFolders)
{
    std::string name;
    EXPECT_TRUE(SafePath::decodeRelative("stock%20list.xml", false, name));
    EXPECT_EQ(name, "stock list.xml");
    EXPECT_FALSE(SafePath::decodeRelative("a/b.xml", false, name));
    EXPECT_TRUE(SafePath::decodeRelative("a/b.xml", true, name));
}

TEST(DownloadFolder, ServesBareNamesOnly)
{
    TempFolder temp;
    temp.write("download/stock.xml", "<Workbook/>");
    temp.write("download/sub/inner.xml", "x");
    temp.write("settings.ini", "dbname=x");
    Downloads downloads(temp / "download");
    FileInfo file;
    EXPECT_TRUE(downloads.find("stock.xml", file));
    EXPECT_EQ(file.size, 11u);
    for (const char* refused : {"sub/inner.xml", "../settings.ini", "%2e%2e%2fsettings.ini", "sub", ".", ""})
        EXPECT_FALSE(downloads.find(refused, file)) << refused;
}

TEST(DownloadFolder, AMissingFolderServesNothing)
{
    TempFolder temp;
    Downloads downloads(temp / "download");
    FileInfo file;
    EXPECT_FALSE(downloads.find("x.xml", file));
    temp.write("download/x.xml", "later");
    EXPECT_TRUE(downloads.find("x.xml", file));
}

TEST(MimeTypeTable, ByExtensionIgnoringCase)
{
    EXPECT_EQ(host::MimeTypes::forPath("/a/site.css"), "text/css");
    EXPECT_EQ(host::MimeTypes::forPath("photo.JPG"), "image/jpeg");
    EXPECT_EQ(host::MimeTypes::forPath("app.js"), "application/x-javascript");
    EXPECT_EQ(host::MimeTypes::forPath("stock.xls"), "application/vnd.ms-excel");
    EXPECT_EQ(host::MimeTypes::forPath("README"), "application/octet-stream");
    EXPECT_EQ(host::MimeTypes::forPath("/dir.d/noext"), "application/octet-stream");
    EXPECT_EQ(host::MimeTypes::forPath(".css"), "application/octet-stream");
}

TEST(HttpDates, FormatAndReadBack)
{
    EXPECT_EQ(host::HttpDate::format(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    int64_t seconds = 0;
    ASSERT_TRUE(host::HttpDate::parse("Sun, 06 Nov 1994 08:49:37 GMT", seconds));
    EXPECT_EQ(seconds, 784111777);
    ASSERT_TRUE(host::HttpDate::parse(host::HttpDate::format(1700000000), seconds));
    EXPECT_EQ(seconds, 1700000000);
}

TEST(HttpDates, RefuseOtherForms)
{
    int64_t seconds = 0;
    for (const char* refused : {"", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994",
                                "Sun, 06 Nov 1994 08:49:37 UTC", "Sun, 06 Xyz 1994 08:49:37 GMT",
                                "Sun, 6 Nov 1994 08:49:37 GMT ", "Sun, 06 Nov 1994 25:49:37 GMT"}) {
        EXPECT_FALSE(host::HttpDate::parse(refused, seconds)) << refused;
    }
}
