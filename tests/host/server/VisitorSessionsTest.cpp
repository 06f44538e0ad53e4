// Visitors' sessions end to end: the cookie, sign-in, each visitor's own
// database session, and the settings that outlive the server.
#include "TestSite.h"

#include <signal.h>

TEST_F(TestSite, TheSessionCookieIsKeptFromScriptsAndOtherSites)
{
    HttpClient::Response first = get("/open");
    std::string setCookie = sessionSetCookie(first);
    ASSERT_FALSE(setCookie.empty());
    EXPECT_NE(setCookie.find("; Path=/"), std::string::npos) << setCookie;
    EXPECT_NE(setCookie.find("; HttpOnly"), std::string::npos) << setCookie;
    EXPECT_NE(setCookie.find("; SameSite=Lax"), std::string::npos) << setCookie;
    std::string cookie = sessionCookie(first);
    EXPECT_TRUE(sessionSetCookie(get("/open", cookie)).empty()); // the browser has it already
}

TEST_F(TestSite, ASignedInVisitorPassesTheGuardUntilSigningOut)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    EXPECT_EQ(get("/whoami", cookie).body, "[frame]db=a;note=note of a[/frame]");
    EXPECT_EQ(get("/signout", cookie).body, "ok:");
    EXPECT_EQ(get("/whoami", cookie).status, 302);
}

TEST_F(TestSite, TwoVisitorsKeepTheirOwnSessionsAndDatabases)
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
}

TEST_F(TestSite, SigningInGivesTheSessionANewId)
{
    createDatabase("a", "note of a");
    std::string planted = sessionCookie(get("/open"));
    ASSERT_FALSE(planted.empty());
    std::string signedIn = signIn("a", planted);
    EXPECT_NE(signedIn, planted);
    EXPECT_EQ(get("/secret", signedIn).status, 200);
    EXPECT_EQ(get("/secret", planted).status, 302);
}

TEST_F(TestSite, TheIdMayComeAsAParameter)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    std::string id = cookie.substr(cookie.find('=') + 1);
    EXPECT_EQ(get("/secret?CSESSIONID=" + id).status, 200);
    EXPECT_EQ(get("/secret?CSESSIONID=" + id + "0").status, 302);
}

TEST_F(TestSite, ASessionOnlyServesTheAddressItWasMadeFor)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    HttpClient elsewhere(port, "127.0.0.2");
    ASSERT_TRUE(elsewhere.connected());
    HttpClient::Response response =
        elsewhere.exchange("GET /secret HTTP/1.1\r\nHost: localhost\r\nCookie: " + cookie + "\r\n\r\n");
    EXPECT_EQ(response.status, 302);
    EXPECT_EQ(get("/secret", cookie).status, 200);
}

TEST_F(TestSite, ABadDatabaseNameSignsNobodyIn)
{
    for (const char* name : {"nosuch", "..%2Fsecret", "%2Ftmp%2Fa", ""}) {
        HttpClient::Response response = post("/signin", std::string("db=") + name);
        EXPECT_EQ(response.body, "sign-in failed") << name;
        EXPECT_EQ(get("/secret", sessionCookie(response)).status, 302) << name;
    }
}

TEST_F(TestSite, AKilledServerFindsItsSettingsAgain)
{
    createDatabase("a", "note of a");
    signIn("a");
    EXPECT_TRUE(server->waitForLog("event 100 0")) << server->log();
    EXPECT_EQ(server->stop(SIGKILL), 128 + SIGKILL);
    server.reset();
    start();
    EXPECT_EQ(get("/settings").body, "[plain]dbname=a[/plain]");
}
