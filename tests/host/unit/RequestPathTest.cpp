#include <gtest/gtest.h>

#include "Text.h"
#include "host/PageName.h"
#include "host/RequestTarget.h"

using host::PageName;
using host::RequestTarget;
using tessel::String;

namespace {

String pageOf(std::string_view path)
{
    return PageName::fromPath(path, String(u"login"));
}

} // namespace

TEST(PageNames, SpellingsOfOnePageGiveOneName)
{
    String page = pageOf("/PurchaseOrderList");
    EXPECT_EQ(text(page), "PurchaseOrderList");
    EXPECT_TRUE(pageOf("/PurchaseOrderList.htm").equals(page));
    EXPECT_TRUE(pageOf("/purchaseOrderList").equalsIgnoreCase(page));
    EXPECT_TRUE(pageOf("/purchaseorderlist.HTM").equalsIgnoreCase(page));
}

TEST(PageNames, TheRootIsTheStartPage)
{
    EXPECT_EQ(text(pageOf("/")), "login");
    EXPECT_EQ(text(PageName::fromPath("/", String(u"Home"))), "Home");
}

TEST(PageNames, PathsThatCannotNameAPageGiveNothing)
{
    for (const char* path : {"", "PurchaseOrderList", "/.htm", "/a/b", "/../config.xml", "/config.xml", "/a.html",
                             "/a%2Eb", "/a b", "/a.b", "/.hidden", "/x.htm.htm", "//"}) {
        EXPECT_TRUE(pageOf(path).empty()) << path;
    }
    EXPECT_TRUE(pageOf("/" + std::string(65, 'a')).empty());
    EXPECT_FALSE(pageOf("/" + std::string(64, 'a')).empty());
}

TEST(RequestTargets, SplitPathAndQuery)
{
    RequestTarget target;
    ASSERT_TRUE(RequestTarget::parse("/SalesOrderEdit.htm?ordid=S001&cmd=", target));
    EXPECT_EQ(target.path, "/SalesOrderEdit.htm");
    EXPECT_EQ(target.query, "ordid=S001&cmd=");
    ASSERT_TRUE(RequestTarget::parse("/a?b?c#frag", target));
    EXPECT_EQ(target.path, "/a");
    EXPECT_EQ(target.query, "b?c");
}

TEST(RequestTargets, AcceptTheAbsoluteForm)
{
    RequestTarget target;
    ASSERT_TRUE(RequestTarget::parse("http://example.com:8080/static/a.css?v=2", target));
    EXPECT_EQ(target.path, "/static/a.css");
    EXPECT_EQ(target.query, "v=2");
    ASSERT_TRUE(RequestTarget::parse("HTTP://example.com", target));
    EXPECT_EQ(target.path, "/");
    ASSERT_TRUE(RequestTarget::parse("http://example.com?x=1", target));
    EXPECT_EQ(target.path, "/");
    EXPECT_EQ(target.query, "x=1");
}

TEST(RequestTargets, RefuseOtherForms)
{
    RequestTarget target;
    for (const char* refused : {"", "*", "a/b", "example.com:443", "ftp://host/x"})
        EXPECT_FALSE(RequestTarget::parse(refused, target)) << refused;
}
