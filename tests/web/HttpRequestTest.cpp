#include <gtest/gtest.h>

#include "tessel/web/HttpRequest.h"

using namespace tessel;

namespace {

std::u16string text(const String& s) { return std::u16string(s.c_str(), static_cast<size_t>(s.size())); }

std::u16string joined(const Array<String>& items)
{
    std::u16string out;
    for (int i = 0; i < items.size(); i++) {
        if (i > 0)
            out += u",";
        out += text(*items[i]);
    }
    return out;
}

} // namespace


TEST(HttpRequest, HeaderNamesIgnoreCaseAndKeepArrivalOrder)
{
    HttpRequest request;
    request.addHeader(u"Content-Type", u"text/plain");
    request.addHeader(u"X-Count", u"42");
    request.addHeader(u"x-count", u"7");
    EXPECT_EQ(u"text/plain", text(request.getHeader(u"content-type")));
    EXPECT_EQ(u"42", text(request.getHeader(u"X-COUNT"))) << "the first of a repeated header";
    EXPECT_EQ(42, request.getIntHeader(u"x-count"));
    EXPECT_EQ(u"", text(request.getHeader(u"Accept")));
    EXPECT_EQ(0, request.getIntHeader(u"Accept"));

    Array<String> names;
    names.add(new String(u"left over"));
    request.getHeaderNames(names);
    EXPECT_EQ(u"Content-Type,X-Count,x-count", joined(names));
}

TEST(HttpRequest, DateHeadersAreParsedAndMissingOnesGiveNoDate)
{
    HttpRequest request;
    request.addHeader(u"If-Modified-Since", u"Tue, 03 May 2011 10:00:00 GMT");
    DateTime since = request.getDateHeader(u"if-modified-since");
    EXPECT_EQ(u"2011-05-03 10:00:00", text(since.toISOString()));
    EXPECT_FALSE(request.getDateHeader(u"Date").isValid());
}

TEST(HttpRequest, ParameterNamesAreCaseSensitiveAndMayRepeat)
{
    HttpRequest request;
    request.addParameter(u"cmd", u"save");
    request.addParameter(u"id", u"1");
    request.addParameter(u"id", u"2");
    EXPECT_EQ(u"save", text(request.getParameter(u"cmd")));
    EXPECT_EQ(u"", text(request.getParameter(u"CMD")));
    EXPECT_EQ(u"1", text(request.getParameter(u"id")));

    Array<String> values;
    request.getParameter(u"id", values);
    EXPECT_EQ(u"1,2", joined(values));
    Array<String> names;
    request.getParameterNames(names);
    EXPECT_EQ(u"cmd,id,id", joined(names));
}

TEST(HttpRequest, AttributesHoldAReferenceUntilReplacedOrRemoved)
{
    HttpRequest request;
    Ref<String> first = new String(u"one");
    Ref<String> second = new String(u"two");
    request.setAttribute(u"b", first);
    EXPECT_EQ(2u, first->refCount());
    request.setAttribute(u"b", second);
    EXPECT_EQ(1u, first->refCount()) << "the replaced object is released";
    request.setAttribute(u"a", first);
    EXPECT_EQ(second.get(), request.getAttribute(u"b"));

    Array<String> names;
    request.getAttributeNames(names);
    EXPECT_EQ(u"a,b", joined(names));
    request.removeAttribute(u"b");
    EXPECT_EQ(nullptr, request.getAttribute(u"b"));
    EXPECT_EQ(1u, second->refCount());
    request.setAttribute(u"a", nullptr);
    EXPECT_EQ(nullptr, request.getAttribute(u"a"));
}

TEST(HttpRequest, GetCookiesHandsOutTheSameObjects)
{
    HttpRequest request;
    Ref<HttpCookie> cookie = new HttpCookie(u"theme", u"dark");
    request.addCookie(cookie);
    request.addCookie(nullptr);
    Array<HttpCookie> cookies;
    cookies.add(new HttpCookie(u"stale", u""));
    request.getCookies(cookies);
    ASSERT_EQ(1, cookies.size());
    EXPECT_EQ(cookie.get(), cookies[0]);
    EXPECT_EQ(3u, cookie->refCount());
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
