#include <gtest/gtest.h>

#include "tessel/core/MemoryStream.h"
#include "tessel/web/HttpResponse.h"

using namespace tessel;

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

std::u16string headersOf(const HttpResponse& response)
{
    std::u16string out;
    const Array<PairEntry>& headers = response.getHeaders();
    for (int i = 0; i < headers.size(); i++) {
        if (i > 0)
            out += u"|";
        out += text(headers[i]->key) + u": " + text(headers[i]->value);
    }
    return out;
}

} // namespace

TEST(HttpResponseStatus, CodesGetTheirReasonPhrases)
{
    struct Row {
        int status;
        const char16_t* phrase;
    } rows[] = {{100, u"Continue"},
                {302, u"Moved Temporarily"},
                {404, u"Not Found"},
                {503, u"Service Unavailable"},
                {505, u"HTTP Version Not Supported"},
                {299, u"No Reason"},
                {99, u"No Reason"},
                {600, u"No Reason"}};
    for (const Row& row : rows) {
        HttpResponse response;
        response.setStatus(row.status);
        EXPECT_EQ(row.phrase, text(response.getStatusMessage())) << row.status;
        EXPECT_EQ(std::u16string(row.phrase), HttpResponse::getReasonPhrase(row.status)) << row.status;
    }
}

TEST(HttpResponseStatus, SendErrorCommitsWithItsMessageOrThePhrase)
{
    HttpResponse response;
    response.sendError(500, u"Database is gone");
    EXPECT_EQ(500, response.getStatus());
    EXPECT_EQ(u"Database is gone", text(response.getStatusMessage()));
    EXPECT_TRUE(response.isCommitted());

    HttpResponse plain;
    plain.sendError(403);
    EXPECT_EQ(u"Forbidden", text(plain.getStatusMessage()));
    HttpResponse injected;
    injected.sendError(400, u"bad\r\nSet-Cookie: x=1");
    EXPECT_EQ(u"Bad Request", text(injected.getStatusMessage())) << "a line break gives the phrase";
}

TEST(HttpResponseStatus, NothingChangesAfterARedirect)
{
    HttpResponse response;
    response.addHeader(u"X-First", u"1");
    EXPECT_TRUE(response.sendRedirect(u"login.htm"));
    EXPECT_EQ(302, response.getStatus());
    EXPECT_EQ(u"Moved Temporarily", text(response.getStatusMessage()));
    EXPECT_EQ(u"Location: login.htm|X-First: 1", headersOf(response)) << "Location goes first";

    response.sendError(500, u"late");
    response.reset();
    EXPECT_FALSE(response.sendRedirect(u"other.htm"));
    EXPECT_EQ(302, response.getStatus());
    EXPECT_EQ(u"Location: login.htm|X-First: 1", headersOf(response));
}

TEST(HttpResponseHeaders, LineBreaksAndNulsAreRefused)
{
    HttpResponse response;
    struct Row {
        String name;
        String value;
    } rows[] = {{u"X-Name", u"a\r\nSet-Cookie: admin=1"},
                {u"X-Name", u"a\nb"},
                {u"X-Evil\r\nX-Other", u"1"},
                {u"X-Name", String(u"a\0b", 3)},
                {u"", u"value"}};
    for (const Row& row : rows) {
        EXPECT_FALSE(response.addHeader(row.name, row.value)) << row.name.toStdString();
        EXPECT_FALSE(response.setHeader(row.name, row.value)) << row.name.toStdString();
    }
    EXPECT_EQ(0, response.getHeaders().size());

    EXPECT_TRUE(response.setContentType(u"text/plain"));
    EXPECT_FALSE(response.setContentType(u"text/html\r\nX-Evil: 1"));
    EXPECT_EQ(u"text/plain", text(response.getContentType()));

    EXPECT_FALSE(response.sendRedirect(u"/x\r\nSet-Cookie: admin=1"));
    EXPECT_FALSE(response.sendRedirect(u""));
    EXPECT_FALSE(response.isCommitted());
    EXPECT_EQ(200, response.getStatus());
}
