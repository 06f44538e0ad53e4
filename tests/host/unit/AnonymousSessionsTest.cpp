#include <gtest/gtest.h>

#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

#include "host/AnonymousSessions.h"

using host::AnonymousSessions;
using tessel::HttpSession;
using tessel::String;

namespace {

// A new registered session for 127.0.0.1, as a request without one makes.
String newSession()
{
    tessel::HttpRequest request;
    return request.getSession().getId();
}

bool isRegistered(const String& id)
{
    return HttpSession::getSessionById(id, u"127.0.0.1") != nullptr;
}

} // namespace

TEST(AnonymousSessions, BeyondTheLimitTheOldestLeaveTheRegistry)
{
    HttpSession::gc(true);
    AnonymousSessions anonymous(3);
    std::vector<String> ids;
    for (int i = 0; i < 5; i++) {
        ids.push_back(newSession());
        anonymous.add(ids.back());
    }
    EXPECT_EQ(anonymous.size(), 3u);
    EXPECT_FALSE(isRegistered(ids[0]));
    EXPECT_FALSE(isRegistered(ids[1]));
    for (int i = 2; i < 5; i++)
        EXPECT_TRUE(isRegistered(ids[i])) << i;
    EXPECT_EQ(HttpSession::count(), 3);
    HttpSession::gc(true);
}

TEST(AnonymousSessions, ASessionThatSignedInMeanwhileIsNotTouched)
{
    HttpSession::gc(true);
    AnonymousSessions anonymous(1);
    String first = newSession();
    anonymous.add(first);
    // It signs in: the host gives it a new id.
    HttpSession* session = HttpSession::getSessionById(first, u"127.0.0.1");
    ASSERT_NE(session, nullptr);
    session->renew();
    String renewed = session->getId();
    anonymous.add(newSession());
    EXPECT_TRUE(isRegistered(renewed));
    EXPECT_EQ(HttpSession::count(), 2);
    HttpSession::gc(true);
}
