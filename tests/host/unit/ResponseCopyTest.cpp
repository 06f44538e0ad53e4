#include <gtest/gtest.h>

#include "tessel/core/MemoryStream.h"
#include "tessel/web/HttpCookie.h"
#include "tessel/web/HttpResponse.h"

#include "host/HostResponse.h"
#include "host/ResponseCopy.h"

using host::HostResponse;
using host::ResponseCopy;

TEST(PageResponseCopy, TakesStatusHeadersAndCookies)
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

TEST(PageResponseCopy, LeavesOutWhatOnlyTheTransportWritesAndWhatIsNoHeader)
{
    tessel::Ref<tessel::HttpResponse> from = new tessel::HttpResponse();
    from->addHeader(u"Content-Length", u"3");
    from->addHeader(u"transfer-encoding", u"chunked");
    from->addHeader(u"Connection", u"close");
    from->addHeader(u"X-Bad: name", u"1");
    from->addHeader(u"X Bad", u"1");
    from->addHeader(u"X-Good", u"1");
    HostResponse to;
    ResponseCopy::copy(*from, to);
    ASSERT_EQ(to.headers.size(), 1u);
    EXPECT_EQ(to.headers[0].first, "X-Good");
}

TEST(PageResponseCopy, KeepsItsOwnStatusForOneHttpCannotSend)
{
    for (int status : {0, 99, 600, -1}) {
        tessel::Ref<tessel::HttpResponse> from = new tessel::HttpResponse();
        from->setStatus(status);
        HostResponse to;
        ResponseCopy::copy(*from, to);
        EXPECT_EQ(to.status, 200) << status;
    }
}

TEST(PageResponseCopy, ReadsAStreamWhole)
{
    std::string bytes(200000, 'x');
    tessel::Ref<tessel::MemoryStream> stream = new tessel::MemoryStream(bytes.data(), static_cast<int>(bytes.size()), false);
    std::string body;
    EXPECT_TRUE(ResponseCopy::readStream(*stream, body));
    EXPECT_EQ(body, bytes);
}
