#include <gtest/gtest.h>

#include "tessel/web/HttpCookie.h"

using namespace tessel;

// The jar is process-wide and never emptied: every test uses domains of
// its own.

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

} // namespace

TEST(HttpCookieText, AttributesInTheirOrderWithoutLineBreaks)
{
    HttpCookie full(u"sid", u"abc");
    full.setComment(u"session");
    full.setDomain(u"example.test");
    full.setPath(u"/");
    full.setSecure(true);
    full.setHttpOnly(true);
    full.setSameSite(u"Lax");
    EXPECT_EQ(u"sid=abc; Comment=session; Domain=example.test; Path=/; Secure; HttpOnly; SameSite=Lax",
              text(full.toString()));

    HttpCookie dated(u"a", u"1");
    dated.setExpire(1304416800);
    EXPECT_EQ(u"a=1; Expires=Tue, 03 May 2011 10:00:00 GMT", text(dated.toString()));
    dated.setExpire(0);
    EXPECT_EQ(u"a=1", text(dated.toString()));

    HttpCookie injected(u"a\r\n", String(u"1\r\nSet-Cookie: admin=1\0x", 24));
    injected.setPath(u"/\n");
    EXPECT_EQ(u"a=1Set-Cookie: admin=1x; Path=/", text(injected.toString()));
}

TEST(HttpCookieDomain, MatchesOnlyWholeLabels)
{
    struct Row {
        const char16_t* host;
        const char16_t* domain;
        bool matches;
    } rows[] = {
        {u"bank.test", u"bank.test", true},      {u"www.bank.test", u"bank.test", true},
        {u"WWW.Bank.Test", u".bank.test", true}, {u"evilbank.test", u"bank.test", false},
        {u"bank.test", u"www.bank.test", false}, {u"bank.test", u"", false},
        {u"bank.test", u"bank.tesx", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.matches, HttpCookie::domainMatches(row.host, row.domain))
            << String(row.host).toStdString() << " / " << String(row.domain).toStdString();
}

TEST(HttpCookieJar, TheFirstSegmentIsTheNameAndValueAndMustBeThere)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"first.test", u"sid=abc; Max-Age=3600; Secure; Path=/app"));
    HttpCookie* cookie = HttpCookie::getCookie(u"first.test", u"SID");
    ASSERT_NE(nullptr, cookie);
    EXPECT_EQ(u"sid", text(cookie->getName()));
    EXPECT_EQ(u"abc", text(cookie->getValue()));
    EXPECT_EQ(u"/app", text(cookie->getPath())) << "a flag before an attribute takes nothing with it";
    EXPECT_GT(cookie->getExpire(), 0);
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"first.test", u"Max-Age"));

    for (const char16_t* header : {u"Secure; Path=/", u"=value", u""})
        EXPECT_FALSE(HttpCookie::addCookie(u"nopair.test", header)) << String(header).toStdString();
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"nopair.test", u"/")));
    EXPECT_FALSE(HttpCookie::addCookie(u"intranet", u"a=1")) << "bare host names are not stored";
    EXPECT_FALSE(HttpCookie::addCookie(HttpCookie(u"", u"x")));
}

TEST(HttpCookieJar, CookiesGoOnlyToTheirDomainAndPath)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"www.shop-a.test", u"cart=1; Domain=.shop-a.test"));
    EXPECT_NE(nullptr, HttpCookie::getCookie(u"shop-a.test", u"cart"));
    EXPECT_EQ(u"cart=1", text(HttpCookie::loadCookie(u"img.SHOP-A.test", u"/")));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"evilshop-a.test", u"")));

    ASSERT_TRUE(HttpCookie::addCookie(u"www.shop-b.test", u"cart=2; Domain=shop-c.test"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"shop-c.test", u"cart")) << "a foreign domain is ignored";
    EXPECT_NE(nullptr, HttpCookie::getCookie(u"www.shop-b.test", u"cart"));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"shop-c.test", u"/")));

    ASSERT_TRUE(HttpCookie::addCookie(u"paths.test", u"p=1; Path=/shop"));
    ASSERT_TRUE(HttpCookie::addCookie(u"paths.test", u"d=2; Path=/docs/"));
    struct Row {
        const char16_t* path;
        const char16_t* sent;
    } rows[] = {
        {u"/shop", u"p=1"}, {u"/shop/cart", u"p=1"}, {u"/shopping", u""}, {u"/docs/a.htm", u"d=2"}, {u"", u"p=1; d=2"}};
    for (const Row& row : rows)
        EXPECT_EQ(row.sent, text(HttpCookie::loadCookie(u"paths.test", row.path))) << String(row.path).toStdString();
}

TEST(HttpCookieJar, ExpiriesAreReadAsGmtAndExpiredCookiesAreGone)
{
    struct Row {
        const char16_t* header;
        int64_t expire;
    } rows[] = {
        {u"a=1; expires=Thu, 01-Jan-2098 00:00:00 GMT", 4039372800},
        {u"b=2; Expires=Fri, 15 Mar 2030 08:30:00 GMT", 1899793800},
        {u"c=3; expires=Tue, 19-Jan-38 03:14:08 GMT", 2147483648}, // two-digit years below 50 are 20xx
        {u"d=1; expires=Thu, 01-Foo-2098 00:00:00 GMT", 0},        // unreadable: a session cookie
        {u"e=1; expires=soon", 0},
    };
    for (const Row& row : rows) {
        ASSERT_TRUE(HttpCookie::addCookie(u"gmt.test", row.header));
        String name(row.header, 1);
        ASSERT_NE(nullptr, HttpCookie::getCookie(u"gmt.test", name));
        EXPECT_EQ(row.expire, HttpCookie::getCookie(u"gmt.test", name)->getExpire()) << name.toStdString();
    }

    ASSERT_TRUE(HttpCookie::addCookie(u"old.test", u"gone=1; Expires=Mon, 01-Jan-1990 00:00:00 GMT"));
    ASSERT_TRUE(HttpCookie::addCookie(u"old.test", u"kept=1"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"old.test", u"gone"));
    EXPECT_EQ(u"kept=1", text(HttpCookie::loadCookie(u"old.test", u"/")));
}

TEST(HttpCookieJar, ALaterCookieOfTheNameReplacesOrRemovesIt)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"replace.test", u"a=1; Path=/x"));
    ASSERT_TRUE(HttpCookie::addCookie(u"REPLACE.test", u"A=2; Path=/y"));
    HttpCookie* cookie = HttpCookie::getCookie(u"replace.test", u"a");
    ASSERT_NE(nullptr, cookie);
    EXPECT_EQ(u"2", text(cookie->getValue()));
    EXPECT_EQ(u"/y", text(cookie->getPath()));
    EXPECT_EQ(u"a=2", text(HttpCookie::loadCookie(u"replace.test", u"")));

    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=1"));
    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=; Max-Age=0; Expires=Thu, 01-Jan-2098 00:00:00 GMT"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"maxage.test", u"a")) << "Max-Age 0 wins over Expires";
    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=back"));
    EXPECT_EQ(u"a=back", text(HttpCookie::loadCookie(u"maxage.test", u"/"))) << "one cookie, in its old place";
}
