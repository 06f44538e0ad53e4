#include <gtest/gtest.h>

#include "tessel/web/HttpCookie.h"

using namespace tessel;

// The jar is process-wide and never emptied: every test uses domains of
// its own.

namespace {

std::u16string text(const String& s) { return std::u16string(s.c_str(), static_cast<size_t>(s.size())); }

} // namespace

TEST(HttpCookieText, NameValueAndPath)
{
    HttpCookie cookie(u"sid", u"abc");
    cookie.setPath(u"/app");
    EXPECT_EQ(u"sid=abc; Path=/app", text(cookie.toString()));
}

TEST(HttpCookieText, AttributesInTheirOrder)
{
    HttpCookie cookie(u"sid", u"abc");
    cookie.setComment(u"session");
    cookie.setDomain(u"example.test");
    cookie.setPath(u"/");
    cookie.setSecure(true);
    cookie.setHttpOnly(true);
    cookie.setSameSite(u"Lax");
    EXPECT_EQ(u"sid=abc; Comment=session; Domain=example.test; Path=/; Secure; HttpOnly; SameSite=Lax",
              text(cookie.toString()));
}

TEST(HttpCookieText, AnExpiryIsWrittenAsAGmtDate)
{
    HttpCookie cookie(u"a", u"1");
    cookie.setExpire(1304416800);
    EXPECT_EQ(1304416800, cookie.getExpire());
    EXPECT_EQ(u"a=1; Expires=Tue, 03 May 2011 10:00:00 GMT", text(cookie.toString()));
    cookie.setExpire(0);
    EXPECT_EQ(u"a=1", text(cookie.toString()));
}

TEST(HttpCookieText, LineBreaksAndNulsAreLeftOut)
{
    HttpCookie cookie(u"a\r\n", String(u"1\r\nSet-Cookie: admin=1\0x", 24));
    cookie.setPath(u"/\n");
    EXPECT_EQ(u"a=1Set-Cookie: admin=1x; Path=/", text(cookie.toString()));
}


TEST(HttpCookieDomain, MatchesOnlyWholeLabels)
{
    EXPECT_TRUE(HttpCookie::domainMatches(u"bank.test", u"bank.test"));
    EXPECT_TRUE(HttpCookie::domainMatches(u"www.bank.test", u"bank.test"));
    EXPECT_TRUE(HttpCookie::domainMatches(u"WWW.Bank.Test", u".bank.test"));
    EXPECT_FALSE(HttpCookie::domainMatches(u"evilbank.test", u"bank.test"));
    EXPECT_FALSE(HttpCookie::domainMatches(u"bank.test", u"www.bank.test"));
    EXPECT_FALSE(HttpCookie::domainMatches(u"bank.test", u""));
    EXPECT_FALSE(HttpCookie::domainMatches(u"bank.test", u"bank.tesx")) << "same length, other name";
}

TEST(HttpCookieJar, TheFirstSegmentIsTheNameAndValue)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"first.test", u"sid=abc; Max-Age=3600; Secure; Path=/app"));
    HttpCookie* cookie = HttpCookie::getCookie(u"first.test", u"SID");
    ASSERT_NE(nullptr, cookie);
    EXPECT_EQ(u"sid", text(cookie->getName()));
    EXPECT_EQ(u"abc", text(cookie->getValue()));
    EXPECT_EQ(u"/app", text(cookie->getPath())) << "a flag before an attribute takes nothing with it";
    EXPECT_GT(cookie->getExpire(), 0);
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"first.test", u"Max-Age"));
}

TEST(HttpCookieJar, HeadersWithoutAPairAreRefused)
{
    EXPECT_FALSE(HttpCookie::addCookie(u"nopair.test", u"Secure; Path=/"));
    EXPECT_FALSE(HttpCookie::addCookie(u"nopair.test", u"=value"));
    EXPECT_FALSE(HttpCookie::addCookie(u"nopair.test", u""));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"nopair.test", u"/")));
}

TEST(HttpCookieJar, BareHostNamesAreNotStored)
{
    EXPECT_FALSE(HttpCookie::addCookie(u"intranet", u"a=1"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"intranet", u"a"));
}

TEST(HttpCookieJar, ADomainAttributeMayOnlyWidenToTheOrigin)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"www.shop-a.test", u"cart=1; Domain=.shop-a.test"));
    EXPECT_NE(nullptr, HttpCookie::getCookie(u"shop-a.test", u"cart"));
    EXPECT_EQ(u"cart=1", text(HttpCookie::loadCookie(u"img.shop-a.test", u"/")));

    ASSERT_TRUE(HttpCookie::addCookie(u"www.shop-b.test", u"cart=2; Domain=shop-c.test"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"shop-c.test", u"cart")) << "a foreign domain is ignored";
    EXPECT_NE(nullptr, HttpCookie::getCookie(u"www.shop-b.test", u"cart"));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"shop-c.test", u"/")));
}

TEST(HttpCookieJar, CookiesGoOnlyToTheirDomain)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"bank-a.test", u"auth=secret"));
    EXPECT_EQ(u"auth=secret", text(HttpCookie::loadCookie(u"bank-a.test", u"")));
    EXPECT_EQ(u"auth=secret", text(HttpCookie::loadCookie(u"online.BANK-A.test", u"")));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"evilbank-a.test", u"")));
}

TEST(HttpCookieJar, PathsMatchWholeSegments)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"paths.test", u"p=1; Path=/shop"));
    ASSERT_TRUE(HttpCookie::addCookie(u"paths.test", u"d=2; Path=/docs/"));
    EXPECT_EQ(u"p=1", text(HttpCookie::loadCookie(u"paths.test", u"/shop")));
    EXPECT_EQ(u"p=1", text(HttpCookie::loadCookie(u"paths.test", u"/shop/cart")));
    EXPECT_EQ(u"", text(HttpCookie::loadCookie(u"paths.test", u"/shopping")));
    EXPECT_EQ(u"d=2", text(HttpCookie::loadCookie(u"paths.test", u"/docs/a.htm")));
    EXPECT_EQ(u"p=1; d=2", text(HttpCookie::loadCookie(u"paths.test", u""))) << "no path: every cookie";
}

TEST(HttpCookieJar, ExpiresIsReadAsGmt)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"gmt.test", u"a=1; expires=Thu, 01-Jan-2098 00:00:00 GMT"));
    ASSERT_TRUE(HttpCookie::addCookie(u"gmt.test", u"b=2; Expires=Fri, 15 Mar 2030 08:30:00 GMT"));
    ASSERT_TRUE(HttpCookie::addCookie(u"gmt.test", u"c=3; expires=Tue, 19-Jan-38 03:14:08 GMT"));
    EXPECT_EQ(4039372800, HttpCookie::getCookie(u"gmt.test", u"a")->getExpire());
    EXPECT_EQ(1899793800, HttpCookie::getCookie(u"gmt.test", u"b")->getExpire());
    EXPECT_EQ(2147483648, HttpCookie::getCookie(u"gmt.test", u"c")->getExpire()) << "two-digit years below 50 are 20xx";
}

TEST(HttpCookieJar, AnUnreadableExpiryLeavesASessionCookie)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"badmonth.test", u"a=1; expires=Thu, 01-Foo-2098 00:00:00 GMT"));
    ASSERT_TRUE(HttpCookie::addCookie(u"badmonth.test", u"b=1; expires=soon"));
    EXPECT_EQ(0, HttpCookie::getCookie(u"badmonth.test", u"a")->getExpire());
    EXPECT_EQ(0, HttpCookie::getCookie(u"badmonth.test", u"b")->getExpire());
}

TEST(HttpCookieJar, ExpiredCookiesAreNeitherFoundNorSent)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"old.test", u"gone=1; Expires=Mon, 01-Jan-1990 00:00:00 GMT"));
    ASSERT_TRUE(HttpCookie::addCookie(u"old.test", u"kept=1"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"old.test", u"gone"));
    EXPECT_EQ(u"kept=1", text(HttpCookie::loadCookie(u"old.test", u"/")));
}

TEST(HttpCookieJar, MaxAgeZeroRemovesAndWinsOverExpires)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=1"));
    ASSERT_NE(nullptr, HttpCookie::getCookie(u"maxage.test", u"a"));
    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=; Max-Age=0; Expires=Thu, 01-Jan-2098 00:00:00 GMT"));
    EXPECT_EQ(nullptr, HttpCookie::getCookie(u"maxage.test", u"a"));
    ASSERT_TRUE(HttpCookie::addCookie(u"maxage.test", u"a=back"));
    ASSERT_NE(nullptr, HttpCookie::getCookie(u"maxage.test", u"a"));
    EXPECT_EQ(u"a=back", text(HttpCookie::loadCookie(u"maxage.test", u"/"))) << "one cookie, in its old place";
}

TEST(HttpCookieJar, ASecondCookieOfTheNameReplacesValueAndPath)
{
    ASSERT_TRUE(HttpCookie::addCookie(u"replace.test", u"a=1; Path=/x"));
    ASSERT_TRUE(HttpCookie::addCookie(u"REPLACE.test", u"A=2; Path=/y"));
    HttpCookie* cookie = HttpCookie::getCookie(u"replace.test", u"a");
    ASSERT_NE(nullptr, cookie);
    EXPECT_EQ(u"2", text(cookie->getValue()));
    EXPECT_EQ(u"/y", text(cookie->getPath()));
    EXPECT_EQ(u"a=2", text(HttpCookie::loadCookie(u"replace.test", u"")));
}

TEST(HttpCookieJar, StoresCopiesOfCookieObjects)
{
    HttpCookie cookie(u"token", u"t1");
    cookie.setDomain(u"copy.test");
    cookie.setPath(u"/api");
    EXPECT_TRUE(HttpCookie::addCookie(cookie));
    cookie.setValue(u"changed");
    HttpCookie* stored = HttpCookie::getCookie(u"copy.test", u"token");
    ASSERT_NE(nullptr, stored);
    EXPECT_NE(&cookie, stored);
    EXPECT_EQ(u"t1", text(stored->getValue()));
    EXPECT_EQ(u"/api", text(stored->getPath()));
    EXPECT_FALSE(HttpCookie::addCookie(HttpCookie(u"", u"x")));
}
