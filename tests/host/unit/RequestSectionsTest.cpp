#include <gtest/gtest.h>

#include "tessel/core/Value.h"

#include "Text.h"
#include "host/HostRequest.h"
#include "host/RequestSections.h"

using host::HostRequest;
using host::RequestSections;

namespace {

class RequestData : public ::testing::Test {
protected:
    RequestData()
    {
        request.method = "GET";
        request.path = "/open.htm";
        request.remoteAddress = "127.0.0.1";
        request.remotePort = 40000;
        request.serverAddress = "127.0.0.1";
        request.serverPort = 8080;
        request.headers = {{"Host", "localhost:8080"}, {"User-Agent", "tester"}, {"Accept-Language", "zh-CN"}};
    }

    std::string at(const char16_t* path)
    {
        tessel::Ref<tessel::Value> data = new tessel::Value();
        RequestSections::fill(*data, request);
        return text(data->getAt(path));
    }

    bool has(const char16_t* path)
    {
        tessel::Ref<tessel::Value> data = new tessel::Value();
        RequestSections::fill(*data, request);
        return data->exists(path);
    }

    HostRequest request;
};

} // namespace

TEST_F(RequestData, PostIsThereOnlyForAPost)
{
    EXPECT_TRUE(has(u"GET"));
    EXPECT_FALSE(has(u"POST"));
    request.method = "POST";
    EXPECT_TRUE(has(u"POST"));
    request.method = "HEAD";
    EXPECT_FALSE(has(u"POST"));
}

TEST_F(RequestData, FormTakesTheBodyOverTheQuery)
{
    request.method = "POST";
    request.query = {{u"a", u"query"}, {u"q", u"only"}};
    request.form = {{u"a", u"body"}, {u"list.001.prdnm", u"bolt"}};
    EXPECT_EQ(at(u"FORM.a"), "body");
    EXPECT_EQ(at(u"FORM.q"), "only");
    EXPECT_EQ(at(u"GET.a"), "query");
    EXPECT_EQ(at(u"POST.a"), "body");
    EXPECT_EQ(at(u"POST.list.001.prdnm"), "bolt");
    EXPECT_EQ(at(u"GET.list.001.prdnm"), "");
}

TEST_F(RequestData, NamesThatWouldLeaveTheirSectionAreDropped)
{
    request.query = {{u"SESSION.company", u"evil"}, {u"FORM..x", u"evil"}, {u"TOP.x", u"evil"},
                     {u"a.SERVER.REQUEST_METHOD", u"evil"}, {u"x", u"fine"}};
    EXPECT_EQ(at(u"SESSION.company"), "");
    EXPECT_EQ(at(u"x"), "");
    EXPECT_EQ(at(u"FORM.x"), "fine");
    EXPECT_EQ(at(u"SERVER.REQUEST_METHOD"), "GET");
}

TEST_F(RequestData, ServerDescribesTheRequest)
{
    request.queryString = "page=2&b=\"<x>";
    EXPECT_EQ(at(u"SERVER.REQUEST_URI"), "/open.htm?page=2&b=%22%3Cx%3E");
    EXPECT_EQ(at(u"SERVER.QUERY_STRING"), "page=2&b=%22%3Cx%3E");
    EXPECT_EQ(at(u"SERVER.REQUEST_METHOD"), "GET");
    EXPECT_EQ(at(u"SERVER.REMOTE_ADDR"), "127.0.0.1");
    EXPECT_EQ(at(u"SERVER.REMOTE_PORT"), "40000");
    EXPECT_EQ(at(u"SERVER.SERVER_NAME"), "127.0.0.1");
    EXPECT_EQ(at(u"SERVER.SERVER_PORT"), "8080");
    EXPECT_EQ(at(u"SERVER.SERVER_PROTOCOL"), "HTTP/1.1");
    EXPECT_EQ(at(u"SERVER.SCRIPT_NAME"), "/open.htm");
    EXPECT_EQ(at(u"SERVER.HTTP_HOST"), "localhost:8080");
    EXPECT_EQ(at(u"SERVER.HTTP_USER_AGENT"), "tester");
    EXPECT_EQ(at(u"SERVER.HTTP_ACCEPT_LANGUAGE"), "zh-CN");
    EXPECT_EQ(at(u"SERVER.CONTENT_LENGTH"), "");
    request.method = "POST";
    request.headers.emplace_back("Content-Type", "application/x-www-form-urlencoded");
    request.headers.emplace_back("Content-Length", "0");
    EXPECT_EQ(at(u"SERVER.CONTENT_TYPE"), "application/x-www-form-urlencoded");
    EXPECT_EQ(at(u"SERVER.CONTENT_LENGTH"), "0");
}
