#include <gtest/gtest.h>

#include "tessel/web/HttpRequest.h"

using namespace tessel;

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

} // namespace

TEST(HttpRequest, DateHeadersAreParsedAndMissingOnesGiveNoDate)
{
    HttpRequest request;
    request.addHeader(u"If-Modified-Since", u"Tue, 03 May 2011 10:00:00 GMT");
    DateTime since = request.getDateHeader(u"if-modified-since");
    EXPECT_EQ(u"2011-05-03 10:00:00", text(since.toISOString()));
    EXPECT_FALSE(request.getDateHeader(u"Date").isValid());
}

TEST(HttpRequestAddress, DottedNumbersBecomeOneNumberAndIPv6ClientsAreToldApart)
{
    EXPECT_EQ(127u * 16777216u + 1u, HttpRequest::getAddress(u"127.0.0.1"));
    EXPECT_EQ(0xC0A80A01u, HttpRequest::getAddress(u"192.168.10.1"));
    EXPECT_EQ(0xFFFFFFFFu, HttpRequest::getAddress(u"255.255.255.255"));
    EXPECT_EQ(0u, HttpRequest::getAddress(u""));
    EXPECT_EQ(0u, HttpRequest::getAddress(nullptr));
    EXPECT_EQ(0xC0A80A01u, HttpRequest::getAddress(u"::ffff:192.168.10.1"));
    uint32_t one = HttpRequest::getAddress(u"2001:db8::1");
    EXPECT_NE(one, HttpRequest::getAddress(u"2001:db8::2"));
    EXPECT_EQ(one, HttpRequest::getAddress(u"2001:DB8::1")) << "hexadecimal digits in either case";
}
