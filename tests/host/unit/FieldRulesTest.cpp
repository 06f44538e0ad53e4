// Where request fields land in a page's data tree: nested nodes inside
// their own section, never in another section or the session tree.
#include <gtest/gtest.h>

#include "Text.h"
#include "host/FieldRules.h"
#include "host/HostRequest.h"
#include "host/RequestSections.h"

using host::FieldRules;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// A data tree as a page sees it: the request sections and the signed-in
// company's session tree side by side under one root.
class FieldRulesTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new Value();
        root->insert(u"SESSION.user", u"alice");
        form = root->insert(u"FORM");
    }

    bool insert(const String& name, const char16_t* value = u"v") { return FieldRules::insert(*form, name, value); }

    Ref<Value> root;
    Value* form = nullptr;
};

} // namespace

TEST_F(FieldRulesTree, DottedNamesBuildNestedNodesAndALaterFieldWins)
{
    EXPECT_TRUE(insert(u"list.001.prdnm", u"bolt"));
    EXPECT_TRUE(insert(u"list.002.prdnm", u"nut"));
    EXPECT_TRUE(insert(u"cmd", u"list"));
    EXPECT_TRUE(insert(u"cmd", u"save"));
    EXPECT_EQ(text(root->getAt(u"FORM.list.001.prdnm")), "bolt");
    EXPECT_EQ(text(root->getAt(u"FORM.list.002.prdnm")), "nut");
    EXPECT_EQ(text(root->getAt(u"FORM.cmd")), "save");
    EXPECT_EQ(form->size(), 2);
}

TEST_F(FieldRulesTree, NamesThatCouldLeaveTheirSectionAreDropped)
{
    auto nameOfLength = [](int length) {
        String name;
        for (int i = 0; i < length; ++i)
            name.append(u'n');
        return name;
    };
    const String refused[] = {
        // scope words and section names, in any segment and any case
        u"TOP.SESSION.user",
        u"PARENT.SESSION.user",
        u"SELF.x",
        u"a.TOP.b",
        u"a.b.PARENT",
        u"SESSION",
        u"SESSION.user",
        u"x.SESSION",
        u"FORM.cmd",
        u"GET.a",
        u"POST",
        u"a.SERVER.b",
        u"session.user",
        u"Top.x",
        u"a.form",
        // empty segments, too deep, too long, control characters
        u"",
        u".a",
        u"a.",
        u"a..b",
        u".",
        u"a.b.c.d.e",
        nameOfLength(129),
        u"a\nb",
        u"a\tb",
    };
    for (const String& name : refused)
        EXPECT_FALSE(insert(name, u"mallory")) << text(name);
    EXPECT_EQ(text(root->getAt(u"SESSION.user")), "alice");
    EXPECT_EQ(root->size(), 2); // still only FORM and SESSION
    EXPECT_EQ(form->size(), 0);

    for (const String& name : {String(u"a.b.c.d"), nameOfLength(128), String(u"\u91C7\u8D2D")})
        EXPECT_TRUE(insert(name)) << text(name);
    EXPECT_EQ(text(form->getAt(u"a.b.c.d")), "v");
    for (const char16_t* name : {u"cmd", u"ordid", u"list.001.qunty", u"x-y_z", u"topic", u"selfish", u"formula"})
        EXPECT_TRUE(FieldRules::isAcceptable(name)) << text(name);
}

TEST_F(FieldRulesTree, ANameBelowAnExistingLeafIsRefusedByTheTree)
{
    EXPECT_TRUE(insert(u"a", u"leaf"));
    EXPECT_FALSE(insert(u"a.b", u"below"));
    EXPECT_EQ(text(form->getAt(u"a")), "leaf");
}

TEST(RequestSections, PostOnlyForAPostAndServerWithTheCgiNames)
{
    host::HostRequest request;
    request.path = "/open.htm";
    request.remoteAddress = "127.0.0.1";
    request.remotePort = 40000;
    request.serverAddress = "127.0.0.1";
    request.serverPort = 8080;
    request.headers = {{"Host", "localhost:8080"}, {"User-Agent", "tester"}, {"Accept-Language", "zh-CN"}};
    request.queryString = "page=2&b=\"<x>";
    auto sections = [&request](const char* method) {
        request.method = method;
        Ref<Value> data = new Value();
        host::RequestSections::fill(*data, request);
        return data;
    };
    EXPECT_TRUE(sections("GET")->exists(u"GET"));
    EXPECT_FALSE(sections("GET")->exists(u"POST"));
    EXPECT_FALSE(sections("HEAD")->exists(u"POST"));
    EXPECT_TRUE(sections("POST")->exists(u"POST"));

    Ref<Value> data = sections("GET");
    const std::pair<const char16_t*, const char*> rows[] = {
        {u"REQUEST_URI", "/open.htm?page=2&b=%22%3Cx%3E"},
        {u"QUERY_STRING", "page=2&b=%22%3Cx%3E"},
        {u"REQUEST_METHOD", "GET"},
        {u"REMOTE_ADDR", "127.0.0.1"},
        {u"REMOTE_PORT", "40000"},
        {u"SERVER_NAME", "127.0.0.1"},
        {u"SERVER_PORT", "8080"},
        {u"SERVER_PROTOCOL", "HTTP/1.1"},
        {u"SCRIPT_NAME", "/open.htm"},
        {u"HTTP_HOST", "localhost:8080"},
        {u"HTTP_USER_AGENT", "tester"},
        {u"HTTP_ACCEPT_LANGUAGE", "zh-CN"},
        {u"CONTENT_LENGTH", ""},
    };
    for (const auto& [name, expected] : rows)
        EXPECT_EQ(text(data->find(u"SERVER")->getAt(name)), expected) << text(name);

    request.headers.emplace_back("Content-Type", "application/x-www-form-urlencoded");
    request.headers.emplace_back("Content-Length", "0");
    data = sections("POST");
    EXPECT_EQ(text(data->getAt(u"SERVER.CONTENT_TYPE")), "application/x-www-form-urlencoded");
    EXPECT_EQ(text(data->getAt(u"SERVER.CONTENT_LENGTH")), "0");
}
