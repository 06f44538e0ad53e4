// Visitors' sessions end to end: the cookie, sign-in, each visitor's own
// database session, and the settings that outlive the server.
#include "TestSite.h"

#include <signal.h>

TEST_F(TestSite, TheSessionCookieIsKeptFromScriptsAndOtherSites)
{
    HttpClient::Response first = get("/open");
    std::string setCookie = PageVisitor::sessionSetCookie(first);
    ASSERT_FALSE(setCookie.empty());
    for (const char* attribute : {"; Path=/", "; HttpOnly", "; SameSite=Lax"})
        EXPECT_NE(setCookie.find(attribute), std::string::npos) << setCookie;
    // The browser has it already.
    EXPECT_TRUE(PageVisitor::sessionSetCookie(get("/open", PageVisitor::sessionCookie(first))).empty());
}

TEST_F(TestSite, TwoVisitorsKeepTheirOwnSessionsAndDatabasesUntilSigningOut)
{
    createDatabase("a", "note of a");
    createDatabase("b", "note of b");
    std::string visitorA = signIn("a");
    std::string visitorB = signIn("b");
    ASSERT_NE(visitorA, visitorB);
    EXPECT_EQ(get("/whoami", visitorA).body, "[frame]db=a;note=note of a[/frame]");
    EXPECT_EQ(get("/whoami", visitorB).body, "[frame]db=b;note=note of b[/frame]");
    EXPECT_EQ(get("/secret", visitorA).body, "[frame]secret of Company a[/frame]");
    EXPECT_EQ(get("/whoami").status, 302); // a third visitor has neither
    EXPECT_EQ(get("/signout", visitorA).body, "ok:");
    EXPECT_EQ(get("/whoami", visitorA).status, 302);
    EXPECT_EQ(get("/whoami", visitorB).status, 200);
}

TEST_F(TestSite, SigningInGivesTheSessionANewId)
{
    createDatabase("a", "note of a");
    std::string planted = PageVisitor::sessionCookie(get("/open"));
    ASSERT_FALSE(planted.empty());
    std::string signedIn = signIn("a", planted);
    EXPECT_NE(signedIn, planted);
    EXPECT_EQ(get("/secret", signedIn).status, 200);
    EXPECT_EQ(get("/secret", planted).status, 302);
}

TEST_F(TestSite, ASessionIsFoundByItsIdAsAParameterButOnlyFromItsAddress)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    std::string id = cookie.substr(cookie.find('=') + 1);
    EXPECT_EQ(get("/secret?CSESSIONID=" + id).status, 200);
    EXPECT_EQ(get("/secret?CSESSIONID=" + id + "0").status, 302);
    HttpClient elsewhere(port, "127.0.0.2");
    ASSERT_TRUE(elsewhere.connected());
    EXPECT_EQ(elsewhere.exchange("GET /secret HTTP/1.1\r\nHost: localhost\r\nCookie: " + cookie + "\r\n\r\n").status,
              302);
    EXPECT_EQ(get("/secret", cookie).status, 200);
}

TEST_F(TestSite, AKilledServerFindsItsSettingsAgain)
{
    createDatabase("a", "note of a");
    signIn("a");
    EXPECT_TRUE(server->waitForLog("event 100 0")) << server->log();
    EXPECT_EQ(server->stop(SIGKILL), 128 + SIGKILL);
    startSite();
    EXPECT_EQ(get("/settings").body, "[plain]dbname=a[/plain]");
}

TEST_F(TestSite, VisitorsWhoNeverSignInCannotPushASignedInOneOut)
{
    restartSite({"--max-sessions", "3"});
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    for (int i = 0; i < 10; i++)
        EXPECT_FALSE(PageVisitor::sessionCookie(get("/whoami")).empty()); // each a session of its own
    EXPECT_EQ(get("/whoami", cookie).body, "[frame]db=a;note=note of a[/frame]");
}
