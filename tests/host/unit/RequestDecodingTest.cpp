// The small decoders of what a client sends: query strings and url-encoded
// bodies, Cookie headers, request targets, page names, and the request
// target as pages may show it.
#include <gtest/gtest.h>

#include "Text.h"
#include "host/CookieHeader.h"
#include "host/PageName.h"
#include "host/QueryString.h"
#include "host/RequestTarget.h"
#include "host/UriText.h"

using host::QueryString;
using host::RequestTarget;

namespace {

// "[name=value]" for every field, in arrival order, as UTF-8.
std::string fieldsOf(std::string_view query)
{
    std::vector<host::FormField> fields;
    QueryString::parse(query, fields);
    std::string shown;
    for (const host::FormField& field : fields)
        shown += "[" + text(field.name) + "=" + text(field.value) + "]";
    return shown;
}

std::string cookiesOf(std::string_view header, size_t limit = host::CookieHeader::MAX_COOKIES)
{
    std::string shown;
    for (const auto& cookie : host::CookieHeader::parse(header, limit))
        shown += "[" + cookie.name + "=" + cookie.value + "]";
    return shown;
}

const std::string REPLACEMENT = "\xEF\xBF\xBD"; // U+FFFD

} // namespace

TEST(QueryStrings, DecodeInArrivalOrder)
{
    const std::pair<std::string, std::string> rows[] = {
        {"b=2&a=1&b=3", "[b=2][a=1][b=3]"},
        {"&a=1&&flag&=x&", "[a=1][flag=][=x]"}, // empty pieces skipped, a bare name is empty
        {"expr=a=b", "[expr=a=b]"},
        {"q=a+b%20c%2Bd&%41%62=%3d", "[q=a b c+d][Ab==]"},
        {"a=1%262%3D3", "[a=1&2=3]"}, // encoded separators do not split
        {"title=%E9%87%87%E8%B4%AD%E8%AE%A2%E5%8D%95", "[title=\xE9\x87\x87\xE8\xB4\xAD\xE8\xAE\xA2\xE5\x8D\x95]"},
        {"a=x%FFy&b=%E9%87", "[a=x" + REPLACEMENT + "y][b=" + REPLACEMENT + "]"},
        {"a=x%00y", "[a=x" + REPLACEMENT + "y]"}, // a NUL never ends the text
    };
    for (const auto& [query, expected] : rows)
        EXPECT_EQ(fieldsOf(query), expected) << query;
}

TEST(QueryStrings, StopAtTheFieldLimitAndLeaveBrokenEscapes)
{
    std::vector<host::FormField> fields;
    EXPECT_FALSE(QueryString::parse("a=1&b=2&c=3", fields, 2));
    EXPECT_EQ(fields.size(), 2u);
    fields.clear();
    EXPECT_TRUE(QueryString::parse("a=1&b=2", fields, 2));
    EXPECT_EQ(QueryString::unescape("100%"), "100%");
    EXPECT_EQ(QueryString::unescape("%zz%4"), "%zz%4");
    EXPECT_EQ(QueryString::unescape("%4g%41"), "%4gA");
    EXPECT_EQ(QueryString::unescapePath("a+b%20c"), "a+b c");
}

TEST(CookieHeaders, GiveNamedPiecesInOrderUpToTheLimit)
{
    EXPECT_EQ(cookiesOf("CSESSIONID=65f1a2b3c4d5e6; theme = dark ;lang=\"zh-CN\""),
              "[CSESSIONID=65f1a2b3c4d5e6][theme=dark][lang=zh-CN]");
    EXPECT_EQ(cookiesOf(";; flag; =orphan; a=; b=x=y"), "[a=][b=x=y]");
    EXPECT_EQ(cookiesOf("a=1; b=2; c=3", 2), "[a=1][b=2]");
    EXPECT_EQ(cookiesOf(""), "");
}

TEST(RequestTargets, SplitPathAndQueryOfBothForms)
{
    const char* rows[][3] = {
        {"/SalesOrderEdit.htm?ordid=S001&cmd=", "/SalesOrderEdit.htm", "ordid=S001&cmd="},
        {"/a?b?c#frag", "/a", "b?c"},
        {"http://example.com:8080/static/a.css?v=2", "/static/a.css", "v=2"},
        {"HTTP://example.com", "/", ""},
        {"http://example.com?x=1", "/", "x=1"},
    };
    for (const auto& row : rows) {
        RequestTarget target;
        ASSERT_TRUE(RequestTarget::parse(row[0], target)) << row[0];
        EXPECT_EQ(target.path, row[1]) << row[0];
        EXPECT_EQ(target.query, row[2]) << row[0];
    }
    RequestTarget target;
    for (const char* refused : {"", "*", "a/b", "example.com:443", "ftp://host/x"})
        EXPECT_FALSE(RequestTarget::parse(refused, target)) << refused;
}

TEST(PageNames, OneNameForEverySpellingAndNoneForOtherPaths)
{
    auto pageOf = [](std::string_view path) { return text(host::PageName::fromPath(path, tessel::String(u"login"))); };
    EXPECT_EQ(pageOf("/PurchaseOrderList"), "PurchaseOrderList");
    EXPECT_EQ(pageOf("/PurchaseOrderList.htm"), "PurchaseOrderList");
    for (const char* spelling : {"/purchaseOrderList", "/purchaseorderlist.HTM"}) {
        EXPECT_TRUE(host::PageName::fromPath(spelling, u"login").equalsIgnoreCase(u"PurchaseOrderList")) << spelling;
    }
    EXPECT_EQ(pageOf("/"), "login");
    for (const char* path : {"", "PurchaseOrderList", "/.htm", "/a/b", "/../config.xml", "/config.xml", "/a.html",
                             "/a%2Eb", "/a b", "/a.b", "/.hidden", "/x.htm.htm", "//"}) {
        EXPECT_EQ(pageOf(path), "") << path;
    }
    EXPECT_EQ(pageOf("/" + std::string(65, 'a')), "");
    EXPECT_NE(pageOf("/" + std::string(64, 'a')), "");
}

TEST(UriTextForPages, EncodesOnlyWhatCouldEndAnAttributeOrStartMarkup)
{
    const std::pair<std::string, std::string> rows[] = {
        {"/PurchaseOrderList.htm?page=2&cmd=list", "/PurchaseOrderList.htm?page=2&cmd=list"},
        {"/open?a=%22%3E", "/open?a=%22%3E"}, // encoded already: not twice
        {"/a?b=c+d,e;f:g@h!$*()~-._", "/a?b=c+d,e;f:g@h!$*()~-._"},
        {"/open?a=\"><script>", "/open?a=%22%3E%3Cscript%3E"},
        {"'`\\{}|^ #[]", "%27%60%5C%7B%7D%7C%5E%20%23%5B%5D"},
        {std::string("\r\n\x7f\0", 4), "%0D%0A%7F%00"},
        {"\xe4\xb8\xad", "%E4%B8%AD"},
    };
    for (const auto& [target, expected] : rows)
        EXPECT_EQ(host::UriText::safe(target), expected) << target;
}
