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

TEST_F(TestSite, PagesThatCannotBeShownAreRefusedAndTheServerGoesOn)
{
    const struct {
        const char* target;
        int status;
        const char* location;
    } rows[] = {
        {"/secret", 302, "/signin.htm"}, // guarded: the visitor goes to sign in
        {"/whoami.htm?x=1", 302, "/signin.htm"},
        {"/misguarded", 403, ""}, // its guard names no login page
        {"/nosuchpage", 404, ""},
        {"/", 404, ""},      // the start page is not in the table
        {"/frame", 404, ""}, // a templet is no page
        {"/noaction", 404, ""},
        {"/broken", 500, ""},             // its template is missing
        {"/download/stock.xml", 403, ""}, // downloads need a signed-in visitor
    };
    for (const auto& row : rows) {
        HttpClient::Response response = get(row.target);
        EXPECT_EQ(response.status, row.status) << row.target;
        EXPECT_EQ(response.headers["location"], row.location) << row.target;
        EXPECT_EQ(response.body.find("secret of"), std::string::npos) << row.target;
        EXPECT_EQ(response.body.find("never shown"), std::string::npos) << row.target;
    }
    EXPECT_TRUE(server->waitForLog("page noaction: the application has no action")) << server->log();
    EXPECT_TRUE(server->waitForLog("page broken: no template broken.htm")) << server->log();
    EXPECT_EQ(get("/PurchaseOrderList").status, 200);
}

TEST_F(TestSite, APageIsRenderedInsideItsTempletOrAsTheViewOrForwardItsActionChose)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    HttpClient::Response secret = get("/secret", cookie);
    EXPECT_EQ(secret.status, 200);
    EXPECT_EQ(secret.body, "[frame]secret of Company a[/frame]");
    EXPECT_EQ(get("/settings").body, "[plain]dbname=a[/plain]");
    EXPECT_EQ(get("/view").body, "[plain]the chosen view[/plain]");
    HttpClient::Response forwarded = get("/forward?x=1");
    EXPECT_EQ(forwarded.status, 200);
    EXPECT_EQ(forwarded.body.rfind("post=no;company=;x=1;", 0), 0u) << forwarded.body;
}

TEST_F(TestSite, AnActionAnswersWithAMessageAStreamOrARedirect)
{
    HttpClient::Response message = post("/signin", "db=nosuch");
    EXPECT_EQ(message.status, 200);
    EXPECT_EQ(message.body, "sign-in failed"); // the message of the action's key
    EXPECT_EQ(message.headers["content-type"], HTML);
    HttpClient::Response stream = get("/stream");
    EXPECT_EQ(stream.status, 200);
    EXPECT_EQ(stream.headers["content-type"], "text/csv");
    EXPECT_EQ(stream.headers["content-disposition"], "attachment; filename=\"list.csv\"");
    EXPECT_EQ(stream.body, "a,b\n1,2\n");
    HttpClient::Response redirect = get("/redirect");
    EXPECT_EQ(redirect.status, 302);
    EXPECT_EQ(redirect.headers["location"], "/open.htm");
    EXPECT_TRUE(redirect.body.empty());
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
    EXPECT_TRUE(std::any_of(cookies.begin(), cookies.end(),
                            [](const std::string& cookie) { return cookie.rfind("taste=sweet", 0) == 0; }));
}
