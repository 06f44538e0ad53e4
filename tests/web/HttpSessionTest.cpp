#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tessel/core/Value.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

using namespace tessel;

namespace {

std::u16string text(const String& s)
{
    return std::u16string(s.c_str(), static_cast<size_t>(s.size()));
}

int64_t fakeNow = 0;
int64_t fakeClock()
{
    return fakeNow;
}

// Every test starts with an empty registry, a clock of its own and the
// default limits, and leaves nothing behind.
class HttpSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HttpSession::gc(true);
        fakeNow = 1700000000;
        HttpSession::setClock(fakeClock);
    }
    void TearDown() override
    {
        HttpSession::gc(true);
        HttpSession::setClock(nullptr);
        HttpSession::setMaxSessions(HttpSession::DEFAULT_MAX_SESSIONS);
        HttpSession::setDefaultInactiveInterval(HttpSession::DEFAULT_INACTIVE_INTERVAL);
    }

    // A new session, as a request without one creates it.
    static HttpSession& newSession(const char16_t* address = u"10.0.0.1")
    {
        HttpRequest request;
        request.setRemoteAddr(address);
        return request.getSession();
    }
};

bool isLowerHex(const String& id)
{
    for (int i = 0; i < id.size(); i++)
        if (!((id[i] >= u'0' && id[i] <= u'9') || (id[i] >= u'a' && id[i] <= u'f')))
            return false;
    return true;
}

} // namespace

TEST_F(HttpSessionTest, IdsAre128RandomBitsInLowerCaseHex)
{
    std::set<std::u16string> ids;
    for (int i = 0; i < 200; i++) {
        const String& id = newSession().getId();
        EXPECT_EQ(32, id.size());
        EXPECT_TRUE(isLowerHex(id)) << std::string(id.toStdString());
        ids.insert(text(id));
    }
    EXPECT_EQ(200u, ids.size());
    EXPECT_EQ(200, HttpSession::count());
    EXPECT_EQ(u"CSESSIONID", text(HttpSession::getIdName()));
}

TEST_F(HttpSessionTest, TheHostFindsTheSessionByIdAndAddress)
{
    HttpSession& session = newSession(u"10.0.0.7");
    String id = session.getId();
    EXPECT_EQ(&session, HttpSession::getSessionById(id, u"10.0.0.7"));
    EXPECT_EQ(&session, HttpSession::getSessionById(id, HttpRequest::getAddress(u"10.0.0.7")));
    EXPECT_EQ(nullptr, HttpSession::getSessionById(u"0123456789abcdef0123456789abcdef", u"10.0.0.7"));
    EXPECT_EQ(nullptr, HttpSession::getSessionById(u"", u"10.0.0.7"));

    HttpRequest next;
    next.setSession(HttpSession::getSessionById(id, u"10.0.0.7"));
    EXPECT_EQ(&session, &next.getSession());
    EXPECT_EQ(nullptr, HttpSession::getSessionById(id, u"10.0.0.8")) << "another address";
    EXPECT_EQ(1, HttpSession::count()) << "the session stays registered";
    EXPECT_FALSE(session.isNew()) << "the first lookup ends newness, even within the same second";
}

TEST_F(HttpSessionTest, ExpiresAfterTheIntervalNotAtIt)
{
    HttpSession& session = newSession();
    session.setMaxInactiveInterval(60);
    String id = session.getId();
    fakeNow += 60;
    ASSERT_NE(nullptr, HttpSession::getSessionById(id, u"10.0.0.1")) << "exactly 60 seconds is still live";
    fakeNow += 61;
    EXPECT_EQ(nullptr, HttpSession::getSessionById(id, u"10.0.0.1"));
    EXPECT_EQ(0, HttpSession::count()) << "an expired session leaves the registry";

    String byDefault = newSession().getId();
    HttpSession& forever = newSession();
    forever.setMaxInactiveInterval(0);
    fakeNow += 1801;
    EXPECT_EQ(nullptr, HttpSession::getSessionById(byDefault, u"10.0.0.1")) << "half an hour by default";
    fakeNow += 10 * 365 * 86400;
    HttpSession::gc(false);
    EXPECT_EQ(&forever, HttpSession::getSessionById(forever.getId(), u"10.0.0.1")) << "an interval of 0 never expires";
    HttpSession::setDefaultInactiveInterval(10);
    EXPECT_EQ(10, newSession().getMaxInactiveInterval());
}

TEST_F(HttpSessionTest, CollectionRemovesOnlyExpiredSessions)
{
    HttpSession& idle = newSession();
    idle.setMaxInactiveInterval(60);
    HttpSession& busy = newSession();
    busy.setMaxInactiveInterval(60);
    String busyId = busy.getId();
    fakeNow += 50;
    ASSERT_NE(nullptr, HttpSession::getSessionById(busyId, u"10.0.0.1"));
    fakeNow += 20;
    HttpSession::gc(false);
    EXPECT_EQ(1, HttpSession::count());
    EXPECT_EQ(&busy, HttpSession::getSessionById(busyId, u"10.0.0.1"));
    HttpSession::gc(true);
    EXPECT_EQ(0, HttpSession::count());
    HttpSession::gc(false);
    newSession();
    EXPECT_EQ(1, HttpSession::count()) << "a new registry after gc(true)";
}

TEST_F(HttpSessionTest, ARequestKeepsItsSessionAliveWhenTheRegistryDropsIt)
{
    HttpRequest request;
    HttpSession& session = request.getSession();
    Ref<String> value = new String(u"v");
    session.setAttribute(u"k", value);
    HttpSession::gc(true);
    EXPECT_EQ(value.get(), session.getAttribute(u"k"));
}

TEST_F(HttpSessionTest, RenewMovesTheSessionToAFreshId)
{
    HttpRequest request; // keeps the session alive when the registry drops it
    request.setRemoteAddr(u"10.0.0.1");
    HttpSession& session = request.getSession();
    session.setAttribute(u"company", new String(u"x"));
    String old = session.getId();
    session.renew();
    EXPECT_NE(text(old), text(session.getId()));
    EXPECT_EQ(32, session.getId().size());
    EXPECT_EQ(nullptr, HttpSession::getSessionById(old, u"10.0.0.1")) << "the planted id is worth nothing";
    EXPECT_EQ(&session, HttpSession::getSessionById(session.getId(), u"10.0.0.1"));
    EXPECT_NE(nullptr, session.getAttribute(u"company"));
    EXPECT_EQ(1, HttpSession::count());

    String id = session.getId();
    session.invalidate();
    EXPECT_EQ(nullptr, session.getAttribute(u"company")) << "invalidate empties but keeps the id";
    EXPECT_EQ(&session, HttpSession::getSessionById(id, u"10.0.0.1"));
    HttpSession::gc(true);
    session.renew();
    EXPECT_EQ(&session, HttpSession::getSessionById(session.getId(), u"10.0.0.1")) << "a dropped session comes back";
}

TEST_F(HttpSessionTest, TheCapDropsExpiredSessionsFirst)
{
    HttpSession::setMaxSessions(3);
    HttpSession& expired = newSession();
    expired.setMaxInactiveInterval(5);
    String keptOne = newSession().getId();
    String keptTwo = newSession().getId();
    fakeNow += 10;
    newSession();
    EXPECT_EQ(3, HttpSession::count());
    EXPECT_NE(nullptr, HttpSession::getSessionById(keptOne, u"10.0.0.1"));
    EXPECT_NE(nullptr, HttpSession::getSessionById(keptTwo, u"10.0.0.1"));
}

TEST_F(HttpSessionTest, TheCapThenDropsTheLeastRecentlyUsed)
{
    HttpSession::setMaxSessions(3);
    String first = newSession().getId();
    fakeNow += 1;
    String second = newSession().getId();
    fakeNow += 1;
    String third = newSession().getId();
    fakeNow += 1;
    ASSERT_NE(nullptr, HttpSession::getSessionById(first, u"10.0.0.1"));
    fakeNow += 1;
    String fourth = newSession().getId();
    EXPECT_EQ(3, HttpSession::count());
    EXPECT_EQ(nullptr, HttpSession::getSessionById(second, u"10.0.0.1"));
    EXPECT_NE(nullptr, HttpSession::getSessionById(first, u"10.0.0.1"));
    EXPECT_NE(nullptr, HttpSession::getSessionById(third, u"10.0.0.1"));
    EXPECT_NE(nullptr, HttpSession::getSessionById(fourth, u"10.0.0.1"));
}

TEST_F(HttpSessionTest, TheCapDropsSessionsThatHoldNothingBeforeTheOthers)
{
    HttpSession::setMaxSessions(3);
    HttpSession& holding = newSession();
    holding.setAttribute(u"company", new Value());
    String kept = holding.getId();
    fakeNow += 1;
    String empty = newSession().getId();
    fakeNow += 1;
    for (int i = 0; i < 5; i++)
        newSession(); // a stream of visitors who never come back
    EXPECT_EQ(3, HttpSession::count());
    EXPECT_NE(nullptr, HttpSession::getSessionById(kept, u"10.0.0.1"));
    EXPECT_EQ(nullptr, HttpSession::getSessionById(empty, u"10.0.0.1"));
    HttpSession::setMaxSessions(0);
    for (int i = 0; i < 50; i++)
        newSession();
    EXPECT_EQ(53, HttpSession::count()) << "a cap below one means no limit";
}
