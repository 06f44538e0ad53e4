// What goes out: a page's status, headers and cookies as the transport
// sends them, its charset and type, and the request log line.
#include <gtest/gtest.h>

#include "tessel/core/MemoryStream.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpResponse.h"
#include "tessel/web/PageInfo.h"

#include "host/HostResponse.h"
#include "host/PageView.h"
#include "host/RequestLog.h"
#include "host/ResponseCopy.h"

using host::HostResponse;
using host::ResponseCopy;

TEST(PageResponseCopy, TakesStatusHeadersAndCookiesInOrder)
{
    tessel::Ref<tessel::HttpResponse> from = new tessel::HttpResponse();
    from->setStatus(201);
    from->addHeader(u"X-One", u"1");
    from->addHeader(u"X-One", u"2");
    from->setHeader(u"Content-Type", u"text/csv");
    from->addCookie(new tessel::HttpCookie(u"taste", u"sweet"));
    HostResponse to;
    to.setHeader("Content-Type", "text/html");
    ResponseCopy::copy(*from, to);
    EXPECT_EQ(to.status, 201);
    EXPECT_EQ(to.header("Content-Type"), "text/csv");
    ASSERT_EQ(to.headers.size(), 4u);
    EXPECT_EQ(to.headers[1], HostResponse::Header("X-One", "1"));
    EXPECT_EQ(to.headers[2], HostResponse::Header("X-One", "2"));
    EXPECT_EQ(to.headers[3], HostResponse::Header("Set-Cookie", "taste=sweet"));
}

TEST(PageResponseCopy, LeavesOutTransportHeadersBadNamesAndStatusesHttpCannotSend)
{
    tessel::Ref<tessel::HttpResponse> from = new tessel::HttpResponse();
    for (const char16_t* name : {u"Content-Length", u"transfer-encoding", u"Connection", u"X-Bad: name", u"X Bad"})
        from->addHeader(name, u"1");
    from->addHeader(u"X-Good", u"1");
    HostResponse to;
    ResponseCopy::copy(*from, to);
    ASSERT_EQ(to.headers.size(), 1u);
    EXPECT_EQ(to.headers[0].first, "X-Good");
    for (int status : {0, 99, 600, -1}) {
        from->setStatus(status);
        HostResponse kept;
        ResponseCopy::copy(*from, kept);
        EXPECT_EQ(kept.status, 200) << status;
    }
}

TEST(PageResponseCopy, ReadsAStreamWhole)
{
    std::string bytes(200000, 'x');
    tessel::Ref<tessel::MemoryStream> stream = new tessel::MemoryStream(bytes.data(), static_cast<int>(bytes.size()),
                                                                        false);
    std::string body;
    EXPECT_TRUE(ResponseCopy::readStream(*stream, body));
    EXPECT_EQ(body, bytes);
}

TEST(PageOutput, TakesThePagesCharsetAndTypeWithUtf8HtmlOtherwise)
{
    const struct {
        const char16_t* charset;
        const char16_t* pagetype;
        int code;
        const char* contentType;
    } rows[] = {
        {u"", u"", 65001, "text/html; charset=utf-8"},
        {u"gb2312", u"", 936, "text/html; charset=gb2312"},
        {u"", u"application/vnd.ms-excel", 65001, "application/vnd.ms-excel"},
        {u"", u"text/xml; charset=utf-8", 65001, "text/xml; charset=utf-8"},
        {u"utf-8", u"text/plain", 65001, "text/plain; charset=utf-8"},
        {u"klingon", u"", 65001, "text/html; charset=utf-8"},
    };
    for (const auto& row : rows) {
        tessel::PageInfo page;
        page.charset = row.charset;
        page.pagetype = row.pagetype;
        EXPECT_EQ(host::PageView::charsetOf(page), row.code) << row.contentType;
        EXPECT_EQ(host::PageView::contentTypeOf(page), row.contentType) << row.code;
    }
}

TEST(RequestLogLines, NameMethodPathStatusBytesAndTimeAndCannotBeForged)
{
    EXPECT_EQ(host::RequestLog::line("GET", "/static/site.css", 200, 1843, 0.44),
              "GET /static/site.css 200 1843 0.4ms");
    EXPECT_EQ(host::RequestLog::line("", "", 431, 150, 0), "- - 431 150 0.0ms");
    EXPECT_EQ(host::RequestLog::line("GET", "/a\nGET /admin 200 0 0.0ms", 404, 0, 1),
              "GET /a\\x0AGET\\x20/admin\\x20200\\x200\\x200.0ms 404 0 1.0ms");
}
