// Files served by path: static files only from inside their folder and
// never the server's own, downloads by bare name, their types and dates.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "host/Downloads.h"
#include "host/HttpDate.h"
#include "host/MimeTypes.h"
#include "host/StaticFiles.h"

using tessel::testing::TempFolder;

using host::FileInfo;
using host::StaticFiles;

TEST(StaticFolder, ServesOnlyWhatIsInsideAndNotTheServersOwnFiles)
{
    TempFolder temp;
    temp.write("app/config.xml", "<config secret='1'/>");
    temp.write("app/static/site.css", "body{}");
    temp.write("app/static/img/logo.png", "PNG");
    temp.write("app/static/.hidden", "dot");
    temp.write("app/static/app.ini", "key=1");
    temp.write("outside.txt", "outside");
    ASSERT_EQ(::symlink((temp / "outside.txt").c_str(), (temp / "app/static/link.txt").c_str()), 0);
    ASSERT_EQ(::symlink((temp / "app/static/site.css").c_str(), (temp / "app/static/alias.css").c_str()), 0);
    StaticFiles files(temp / "app/static");
    FileInfo file;
    ASSERT_TRUE(files.find("site.css", file));
    EXPECT_EQ(file.size, 6u);
    EXPECT_EQ(file.path, std::filesystem::canonical(temp / "app/static/site.css").string());
    EXPECT_GT(file.modified, 0);
    for (const char* kept : {"img/logo.png", "img/%6Cogo.png", "alias.css"}) // a link that stays inside
        EXPECT_TRUE(files.find(kept, file)) << kept;
    for (const char* path : {"../config.xml",
                             "img/../../config.xml",
                             "./site.css",
                             "img/./logo.png",
                             "..",
                             "%2e%2e/config.xml",
                             "%2E%2E/config.xml",
                             "..%2fconfig.xml",
                             "..%2Fconfig.xml",
                             "..%5cconfig.xml",
                             "..\\config.xml",
                             "img%2flogo.png",
                             "site.css%00.png",
                             "%00",
                             "%252e%252e/config.xml",
                             "/etc/passwd",
                             "img//logo.png",
                             "link.txt",
                             "img/",
                             "img",
                             "",
                             "%",
                             "%4",
                             "%zz",
                             ".hidden",
                             "app.ini",
                             "missing.css"}) {
        EXPECT_FALSE(files.find(path, file)) << path;
    }
    EXPECT_FALSE(files.find(std::string("site.css\0", 9), file));
    for (const char* name : {"a.db", "b.sqlite", "c.log", "d.so", "config.xml", "settings.ini", "x.BAK"})
        EXPECT_FALSE(StaticFiles::isServable(name)) << name;
    for (const char* name : {"a.css", "b.js", "c.png", "stock.xml", "README"})
        EXPECT_TRUE(StaticFiles::isServable(name)) << name;
}

TEST(DownloadFolder, ServesBareNamesAndTheVisitorsOwnFolderOnly)
{
    TempFolder temp;
    temp.write("download/stock.xml", "<Workbook/>");
    temp.write("download/sub/inner.xml", "x");
    temp.write("download/mine/order.xls", "xls");
    temp.write("download/mine/deeper/x.xls", "x");
    temp.write("settings.ini", "dbname=x");
    host::Downloads downloads(temp / "download");
    FileInfo file;
    EXPECT_TRUE(downloads.find("stock.xml", "", file));
    EXPECT_EQ(file.size, 11u);
    EXPECT_TRUE(downloads.find("mine/order.xls", "mine", file));
    EXPECT_EQ(file.size, 3u);
    for (const char* refused :
         {"sub/inner.xml", "mine/order.xls", "../settings.ini", "%2e%2e%2fsettings.ini", "sub", ".", ""})
        EXPECT_FALSE(downloads.find(refused, "", file)) << refused;
    for (const char* refused : {"sub/inner.xml", "min/order.xls", "mine/deeper/x.xls", "mine/../stock.xml",
                                "mine/%2e%2e/settings.ini", "mine/", "mine"})
        EXPECT_FALSE(downloads.find(refused, "mine", file)) << refused;
}

TEST(MimeTypeTable, ByExtensionIgnoringCase)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/a/site.css", "text/css"},
        {"photo.JPG", "image/jpeg"},
        {"app.js", "application/x-javascript"},
        {"stock.xls", "application/vnd.ms-excel"},
        {"README", "application/octet-stream"},
        {"/dir.d/noext", "application/octet-stream"},
        {".css", "application/octet-stream"},
    };
    for (const auto& [path, type] : rows)
        EXPECT_EQ(host::MimeTypes::forPath(path), type) << path;
}

TEST(HttpDates, FormatReadBackAndRefuseOtherForms)
{
    EXPECT_EQ(host::HttpDate::format(784111777), "Sun, 06 Nov 1994 08:49:37 GMT");
    int64_t seconds = 0;
    ASSERT_TRUE(host::HttpDate::parse("Sun, 06 Nov 1994 08:49:37 GMT", seconds));
    EXPECT_EQ(seconds, 784111777);
    ASSERT_TRUE(host::HttpDate::parse(host::HttpDate::format(1700000000), seconds));
    EXPECT_EQ(seconds, 1700000000);
    for (const char* refused :
         {"", "Sunday, 06-Nov-94 08:49:37 GMT", "Sun Nov  6 08:49:37 1994", "Sun, 06 Nov 1994 08:49:37 UTC",
          "Sun, 06 Xyz 1994 08:49:37 GMT", "Sun, 6 Nov 1994 08:49:37 GMT ", "Sun, 06 Nov 1994 25:49:37 GMT"}) {
        EXPECT_FALSE(host::HttpDate::parse(refused, seconds)) << refused;
    }
}
