// Pages end to end: found by name, guarded, rendered through templets or
// their own templates, or answered by the action itself.
#include "TestSite.h"

namespace {

const std::string HTML = "text/html; charset=utf-8";

} // namespace

TEST_F(TestSite, APageIsFoundWhateverTheCaseOfItsName)
{
    for (const char* target : {"/PurchaseOrderList.htm", "/purchaseOrderList", "/purchaseorderlist.HTM"}) {
        HttpClient::Response response = get(target);
        EXPECT_EQ(response.status, 200) << target;
        EXPECT_EQ(response.body, "the order list") << target;
        EXPECT_EQ(response.headers["content-type"], HTML) << target;
        EXPECT_EQ(response.headers["cache-control"], "no-store") << target;
    }
}

TEST_F(TestSite, UnknownPagesAndPagesWithoutAnActionAreNotFound)
{
    EXPECT_EQ(get("/nosuchpage").status, 404);
    EXPECT_EQ(get("/frame").status, 404); // a templet is no page
    EXPECT_EQ(get("/noaction").status, 404);
    EXPECT_TRUE(server->waitForLog("page noaction: the application has no action")) << server->log();
}

TEST_F(TestSite, AGuardedPageSendsTheVisitorToItsLoginPage)
{
    for (const char* target : {"/secret", "/whoami.htm?x=1"}) {
        HttpClient::Response response = get(target);
        EXPECT_EQ(response.status, 302) << target;
        EXPECT_EQ(response.headers["location"], "/signin.htm") << target;
        EXPECT_EQ(response.body.find("secret of"), std::string::npos) << target;
    }
    HttpClient::Response unknownLogin = get("/misguarded");
    EXPECT_EQ(unknownLogin.status, 403);
    EXPECT_EQ(unknownLogin.body.find("never shown"), std::string::npos);
}

TEST_F(TestSite, APageOfATempletIsRenderedInsideTheTempletsTemplate)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    HttpClient::Response response = get("/secret", cookie);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "[frame]secret of Company a[/frame]");
    EXPECT_EQ(get("/settings").body, "[plain]dbname=a[/plain]");
}

TEST_F(TestSite, TheViewAnActionChoseTakesThePagesPlace)
{
    EXPECT_EQ(get("/view").body, "[plain]the chosen view[/plain]");
}

TEST_F(TestSite, AForwardedPageShowsTheTemplateItWasForwardedTo)
{
    HttpClient::Response response = get("/forward?x=1");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body.rfind("post=no;company=;x=1;", 0), 0u) << response.body;
}

TEST_F(TestSite, AMissingTemplateIsAServerErrorAndTheServerGoesOn)
{
    EXPECT_EQ(get("/broken").status, 500);
    EXPECT_TRUE(server->waitForLog("page broken: no template broken.htm")) << server->log();
    EXPECT_EQ(get("/PurchaseOrderList").status, 200);
}

TEST_F(TestSite, AShortAnswerIsSentInsteadOfThePage)
{
    HttpClient::Response response = post("/signin", "db=nosuch");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "sign-in failed"); // the message of the action's key
    EXPECT_EQ(response.headers["content-type"], HTML);
}

TEST_F(TestSite, AStreamGoesOutWithItsTypeAndFileName)
{
    HttpClient::Response response = get("/stream");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.headers["content-type"], "text/csv");
    EXPECT_EQ(response.headers["content-disposition"], "attachment; filename=\"list.csv\"");
    EXPECT_EQ(response.body, "a,b\n1,2\n");
}

TEST_F(TestSite, ARedirectOfTheActionIsPassedOn)
{
    HttpClient::Response response = get("/redirect");
    EXPECT_EQ(response.status, 302);
    EXPECT_EQ(response.headers["location"], "/open.htm");
    EXPECT_TRUE(response.body.empty());
}

TEST_F(TestSite, NoHeaderOfAPageCanSplitOrReframeTheResponse)
{
    HttpClient::Response response = get("/headers");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.headers["x-plain"], "1");
    EXPECT_EQ(response.headers.count("x-split"), 0u);
    EXPECT_EQ(response.headers.count("x-injected"), 0u);
    EXPECT_EQ(response.body, "said=headers"); // framed by the real length, not the page's "3"
    EXPECT_EQ(response.all("content-length").size(), 1u);
    std::vector<std::string> cookies = response.all("set-cookie");
    bool tasted = false;
    for (const std::string& cookie : cookies)
        tasted = tasted || cookie.rfind("taste=sweet", 0) == 0;
    EXPECT_TRUE(tasted);
}

TEST_F(TestSite, StaticFilesComeWithTheirTypes)
{
    HttpClient::Response css = get("/static/site.css");
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.headers["content-type"], "text/css");
    EXPECT_EQ(css.body, "body{}");
    EXPECT_EQ(get("/static/logo.png").headers["content-type"], "image/png");
}

TEST_F(TestSite, NoPathClimbsOutOfTheApplication)
{
    for (const char* target : {"/../secret.txt", "/../app/config.xml", "/static/../config.xml",
                               "/static/../../secret.txt", "/%2e%2e/secret.txt", "/static/%2e%2e/%2e%2e/secret.txt",
                               "/..%2fsecret", "/..", "/config.xml", "/secret.txt"}) {
        HttpClient::Response response = get(target);
        EXPECT_TRUE(response.status == 400 || response.status == 404) << target << " " << response.status;
        EXPECT_EQ(response.body.find("outside the application"), std::string::npos) << target;
        EXPECT_EQ(response.body.find("<config>"), std::string::npos) << target;
    }
}
