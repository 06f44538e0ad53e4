#include <gtest/gtest.h>

#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

#include "Text.h"
#include "host/HostRequest.h"
#include "host/VisitorSession.h"

using host::HostRequest;
using host::VisitorSession;

namespace {

class VisitorSessions : public ::testing::Test {
protected:
    void TearDown() override { tessel::HttpSession::gc(true); }

    static HostRequest from(const std::string& address)
    {
        HostRequest request;
        request.method = "GET";
        request.remoteAddress = address;
        return request;
    }

    // A session registered for the address, as a first request makes it.
    static std::string sessionFor(const std::string& address)
    {
        tessel::Ref<tessel::HttpRequest> target = new tessel::HttpRequest();
        target->setRemoteAddr(tessel::String::fromUTF8(address));
        return text(target->getSession().getId());
    }

    static std::string requested(const HostRequest& request, bool& fromCookie)
    {
        return text(VisitorSession::requestedId(request, fromCookie));
    }
};

} // namespace

TEST_F(VisitorSessions, TheCookieNamesTheSessionBeforeAnyField)
{
    HostRequest request = from("127.0.0.1");
    request.query.push_back({u"CSESSIONID", u"bbbb"});
    request.headers.emplace_back("Cookie", "theme=dark; CSESSIONID=aaaa");
    bool fromCookie = false;
    EXPECT_EQ(requested(request, fromCookie), "aaaa");
    EXPECT_TRUE(fromCookie);
    request.headers.clear();
    EXPECT_EQ(requested(request, fromCookie), "bbbb");
    EXPECT_FALSE(fromCookie);
    request.query.clear();
    request.form.push_back({u"CSESSIONID", u"cccc"});
    EXPECT_EQ(requested(request, fromCookie), "cccc");
}

TEST_F(VisitorSessions, OnlyHexadecimalTextCanBeAnId)
{
    bool fromCookie = false;
    for (const char* id : {"ABCD", "12 34", "../x", "a'b"}) {
        HostRequest request = from("127.0.0.1");
        request.headers.emplace_back("Cookie", std::string("CSESSIONID=") + id);
        EXPECT_EQ(requested(request, fromCookie), "") << id;
    }
    HostRequest longId = from("127.0.0.1");
    longId.headers.emplace_back("Cookie", "CSESSIONID=" + std::string(VisitorSession::MAX_ID_LENGTH + 1, 'a'));
    EXPECT_EQ(requested(longId, fromCookie), "");
}

TEST_F(VisitorSessions, FindsARegisteredSessionOnlyFromItsAddress)
{
    std::string id = sessionFor("10.1.2.3");
    HostRequest request = from("10.1.2.3");
    request.headers.emplace_back("Cookie", "CSESSIONID=" + id);
    ASSERT_NE(VisitorSession::find(request), nullptr);
    EXPECT_EQ(text(VisitorSession::find(request)->getId()), id);
    request.remoteAddress = "10.1.2.4";
    EXPECT_EQ(VisitorSession::find(request), nullptr);
    EXPECT_EQ(VisitorSession::find(from("10.1.2.3")), nullptr); // no id, no session, none made
    EXPECT_EQ(tessel::HttpSession::count(), 1);
}

TEST_F(VisitorSessions, BindsTheFoundSessionOrANewOne)
{
    std::string id = sessionFor("127.0.0.1");
    HostRequest request = from("127.0.0.1");
    request.headers.emplace_back("Cookie", "CSESSIONID=" + id);
    tessel::Ref<tessel::HttpRequest> known = new tessel::HttpRequest();
    known->setRemoteAddr(u"127.0.0.1");
    EXPECT_TRUE(VisitorSession::bind(*known, request));
    EXPECT_EQ(text(known->findSession()->getId()), id);
    EXPECT_TRUE(known->isRequestedSessionIdValid());
    EXPECT_TRUE(known->isRequestedSessionIdFromCookie());

    request.headers.back().second = "CSESSIONID=0123";
    tessel::Ref<tessel::HttpRequest> unknown = new tessel::HttpRequest();
    unknown->setRemoteAddr(u"127.0.0.1");
    EXPECT_FALSE(VisitorSession::bind(*unknown, request));
    ASSERT_NE(unknown->findSession(), nullptr);
    EXPECT_NE(text(unknown->findSession()->getId()), id);
    EXPECT_EQ(text(unknown->getRequestedSessionId()), "0123");
    EXPECT_FALSE(unknown->isRequestedSessionIdValid());
}

TEST_F(VisitorSessions, TheCookieIsForTheWholeSiteAndKeptFromScripts)
{
    tessel::Ref<tessel::HttpRequest> target = new tessel::HttpRequest();
    tessel::HttpSession& session = target->getSession();
    EXPECT_EQ(VisitorSession::cookieOf(session),
              "CSESSIONID=" + text(session.getId()) + "; Path=/; HttpOnly; SameSite=Lax");
}
