// What a page's data tree and uploads hold of a request, end to end.
#include "TestSite.h"

#include <filesystem>

namespace {

// The value after "name=" in the open page's output, up to the next ";".
std::string field(const std::string& body, const std::string& name)
{
    size_t at = body.find(name + "=");
    if (at == std::string::npos)
        return "(none)";
    at += name.size() + 1;
    return body.substr(at, body.find(';', at) - at);
}

} // namespace

TEST_F(TestSite, PostIsThereForEveryPostAndFormHoldsTheQueryAndThenTheBody)
{
    EXPECT_EQ(field(post("/open", "").body, "post"), "yes");
    EXPECT_EQ(field(get("/open").body, "post"), "no");
    EXPECT_EQ(field(get("/open?a=1").body, "post"), "no");
    std::string body = post("/open?a=query&x=fromquery", "a=body").body;
    EXPECT_EQ(field(body, "post"), "yes");
    EXPECT_EQ(field(body, "a"), "body");
    EXPECT_EQ(field(body, "get"), "query");
    EXPECT_EQ(field(body, "posted"), "body");
    EXPECT_EQ(field(body, "x"), "fromquery");
    EXPECT_EQ(field(body, "method"), "POST");
    EXPECT_EQ(field(body, "length"), "6");
}

TEST_F(TestSite, NoFieldNameReachesOutOfItsSection)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a");
    std::string evil = "SESSION.company=evil&FORM..x=evil&TOP.SESSION.company=evil&x.TOP.x=evil&"
                       "SERVER.REQUEST_METHOD=evil&GET.a=evil&a.PARENT.x=evil&session.company=evil";
    for (const HttpClient::Response& response :
         {get("/open?" + evil + "&x=fine", cookie), post("/open?x=fine", evil, cookie)}) {
        EXPECT_EQ(response.status, 200);
        std::string shown = response.body.substr(0, response.body.find(";uri=")); // the URI shows all
        EXPECT_EQ(shown.find("evil"), std::string::npos) << response.body;
        EXPECT_EQ(field(response.body, "company"), "Company a");
        EXPECT_EQ(field(response.body, "x"), "fine");
    }
    EXPECT_EQ(get("/secret", cookie).body, "[frame]secret of Company a[/frame]");
}

TEST_F(TestSite, UploadsReachThePageWithABareNameAndAreRemovedAfterTheRequest)
{
    createDatabase("a", "note of a");
    std::string cookie = signIn("a"); // only signed-in visitors send files
    std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\nimport\r\n"
                       "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; "
                       "filename=\"C:\\\\Users\\\\me\\\\..\\\\notes.txt\"\r\nContent-Type: text/plain\r\n\r\n"
                       "uploaded text\r\n"
                       "--b0undary\r\nContent-Disposition: form-data; name=\"reject\"; filename=\"no.txt\"\r\n\r\n"
                       "turned away\r\n--b0undary--\r\n";
    const std::string multipart = "multipart/form-data; boundary=b0undary";
    HttpClient::Response response = post("/upload", body, cookie, multipart);
    ASSERT_EQ(response.status, 200);
    EXPECT_EQ(field(response.body, "count"), "1"); // tryUpload turned the other away
    EXPECT_EQ(field(response.body, "name"), "notes.txt");
    EXPECT_EQ(field(response.body, "size"), "13");
    EXPECT_EQ(field(response.body, "text"), "uploaded text");
    std::string path = field(response.body, "path");
    EXPECT_EQ(path.rfind(dataFolder() + "/upload/", 0), 0u) << path;
    ASSERT_TRUE(server->waitForLog("POST /upload 200")) << server->log();
    EXPECT_FALSE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder() + "/upload"));

    // Also a large one for a page that is not there.
    std::string large = "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"stock.csv\"\r\n\r\n" +
                        std::string(300000, 'x') + "\r\n--b0undary--\r\n";
    EXPECT_EQ(post("/StockProductImport", large, cookie, multipart).status, 404);
    ASSERT_TRUE(server->waitForLog("POST /StockProductImport 404")) << server->log();
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder() + "/upload"));
}
