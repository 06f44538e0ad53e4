#include <gtest/gtest.h>

#include "TempFolder.h"
#include "host/Application.h"
#include "host/HostRequest.h"
#include "host/HostWindow.h"
#include "host/HttpDate.h"
#include "host/PageServer.h"
#include "host/RequestLog.h"
#include "host/ServerOptions.h"
#include "host/SettingsFile.h"

using host::Application;
using host::HostRequest;
using host::HostResponse;

namespace {

class Routes : public ::testing::Test {
protected:
    static host::ServerOptions optionsFor(const TempFolder& temp)
    {
        temp.write("app/config.xml", "<config/>");
        temp.write("app/static/site.css", "body{}");
        temp.write("app/static/favicon.ico", "ICO");
        temp.write("data/download/stock.xml", "<Workbook/>");
        host::ServerOptions options;
        options.appFolder = temp / "app";
        options.dataFolder = temp / "data";
        return options;
    }

    HostResponse get(const std::string& path, const std::string& method = "GET")
    {
        HostRequest request;
        request.method = method;
        request.path = path;
        for (const auto& header : headers)
            request.headers.push_back(header);
        return application.handle(request);
    }

    TempFolder temp;
    host::ServerOptions options = optionsFor(temp);
    host::SettingsFile settings{temp / "data/settings.ini"};
    host::HostWindow window{settings};
    host::PageServer pages{options, window};
    Application application{options, pages};
    std::vector<HostRequest::Header> headers;
};

} // namespace

TEST_F(Routes, StaticFilesComeWithTypeDateAndCaching)
{
    HostResponse response = get("/static/site.css");
    EXPECT_EQ(response.status, 200);
    EXPECT_TRUE(response.hasFile);
    EXPECT_EQ(response.file.size, 6u);
    EXPECT_EQ(response.header("Content-Type"), "text/css");
    EXPECT_EQ(response.header("Cache-Control"), Application::STATIC_CACHE);
    EXPECT_EQ(response.header("Last-Modified"), host::HttpDate::format(response.file.modified));
    EXPECT_EQ(get("/favicon.ico").header("Content-Type"), "image/x-icon");
}

TEST_F(Routes, AnUnchangedFileIsNotSentAgain)
{
    std::string modified = get("/static/site.css").header("Last-Modified");
    headers.emplace_back("if-modified-since", modified);
    HostResponse response = get("/static/site.css");
    EXPECT_EQ(response.status, 304);
    EXPECT_FALSE(response.hasFile);
    headers.back().second = "Thu, 01 Jan 1970 00:00:01 GMT";
    EXPECT_EQ(get("/static/site.css").status, 200);
}

TEST_F(Routes, StaticFilesAreOnlyRead)
{
    HostResponse response = get("/static/site.css", "POST");
    EXPECT_EQ(response.status, 405);
    EXPECT_EQ(response.header("Allow"), "GET, HEAD");
    EXPECT_TRUE(get("/static/site.css", "HEAD").hasFile);
}

TEST_F(Routes, PagesWaitForTheApplicationToStart)
{
    EXPECT_EQ(get("/").status, 503);
    EXPECT_EQ(get("/PurchaseOrderList.htm").status, 503);
    EXPECT_EQ(get("/login", "POST").status, 503);
    EXPECT_EQ(get("/login", "PUT").status, 405);
}

TEST_F(Routes, DownloadsNeedASignedInVisitor)
{
    EXPECT_EQ(get("/download/stock.xml").status, 403);
}

TEST(RequestLogLines, NameMethodPathStatusBytesAndTime)
{
    EXPECT_EQ(host::RequestLog::line("GET", "/static/site.css", 200, 1843, 0.44), "GET /static/site.css 200 1843 0.4ms");
    EXPECT_EQ(host::RequestLog::line("", "", 431, 150, 0), "- - 431 150 0.0ms");
}

TEST(RequestLogLines, CannotBeForgedByTheClient)
{
    std::string line = host::RequestLog::line("GET", "/a\nGET /admin 200 0 0.0ms", 404, 0, 1);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line, "GET /a\\x0AGET\\x20/admin\\x20200\\x200\\x200.0ms 404 0 1.0ms");
}
