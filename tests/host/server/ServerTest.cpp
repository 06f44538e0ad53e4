#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>

#include "HttpClient.h"
#include "ServerProcess.h"
#include "TempFolder.h"

namespace {

const std::string SECRET = "secret-config-text";

// An application folder made for the test, a data folder the server has
// to create, and the server itself on a free port.
class RunningServer : public ::testing::Test {
protected:
    void SetUp() override { start({}); }

    void start(std::vector<std::string> extra)
    {
        temp.write("app/config.xml", "<config>" + SECRET + "</config>");
        temp.write("app/static/site.css", "body{}");
        temp.write("app/static/js/app.js", "var a = 1;");
        std::vector<std::string> arguments = {"--port", "0", "--app", temp / "app", "--data", temp / "data/sub"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        server = std::make_unique<ServerProcess>(arguments);
        ASSERT_FALSE(server->address().empty()) << server->remainingOutput();
        port = server->port();
    }

    void restart(std::vector<std::string> extra)
    {
        EXPECT_EQ(server->stop(SIGTERM), 0);
        server.reset();
        start(std::move(extra));
    }

    void TearDown() override
    {
        if (server) {
            EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
        }
    }

    TempFolder temp;
    std::unique_ptr<ServerProcess> server;
    int port = 0;
};

std::string postHeader(const std::string& target, const std::string& type, size_t length, const std::string& more = "")
{
    return "POST " + target + " HTTP/1.1\r\nHost: localhost\r\nContent-Type: " + type
         + "\r\nContent-Length: " + std::to_string(length) + "\r\n" + more + "\r\n";
}

} // namespace

TEST_F(RunningServer, PrintsItsAddressFirstAndMakesItsDataFolder)
{
    const std::string prefix = "http://127.0.0.1:";
    const std::string& address = server->address();
    ASSERT_EQ(address.rfind(prefix, 0), 0u) << address;
    ASSERT_EQ(address.back(), '/') << address;
    std::string digits = address.substr(prefix.size(), address.size() - prefix.size() - 1);
    EXPECT_FALSE(digits.empty());
    EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << address;
    EXPECT_GT(port, 0);
    EXPECT_TRUE(std::filesystem::is_directory(temp / "data/sub/download"));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "data/sub/upload"));
}

TEST_F(RunningServer, ServesAStaticFileWithItsType)
{
    HttpClient::Response css = HttpClient::get(port, "/static/site.css");
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.headers["content-type"], "text/css");
    EXPECT_EQ(css.body, "body{}");
    EXPECT_FALSE(css.headers["last-modified"].empty());
    EXPECT_EQ(css.headers["x-content-type-options"], "nosniff");
    HttpClient::Response js = HttpClient::get(port, "/static/js/app.js");
    EXPECT_EQ(js.status, 200);
    EXPECT_EQ(js.headers["content-type"], "application/x-javascript");
    HttpClient::Response again = HttpClient::get(port, "/static/site.css",
                                                 "If-Modified-Since: " + css.headers["last-modified"] + "\r\n");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
}

TEST_F(RunningServer, AnswersHeadWithoutABody)
{
    HttpClient client(port);
    client.send("HEAD /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n");
    HttpClient::Response head = client.receive(false);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.headers["content-length"], "6");
    HttpClient::Response next = client.exchange("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_EQ(next.body, "body{}"); // nothing of a body came between the two
}

TEST_F(RunningServer, RefusesEveryTraversal)
{
    for (const char* target : {"/../config.xml", "/static/../config.xml", "/static/%2e%2e/config.xml",
                               "/static/..%2fconfig.xml", "/static/%2E%2E%2Fconfig.xml", "/static/..\\config.xml",
                               "/%2e%2e/config.xml", "/static/%2e%2e%5cconfig.xml", "/static/site.css%00.png",
                               "/static/js/../../config.xml", "/config.xml", "/static//etc/passwd"}) {
        HttpClient::Response response = HttpClient::get(port, target);
        EXPECT_TRUE(response.status == 404 || response.status == 400) << target << " " << response.status;
        EXPECT_EQ(response.body.find(SECRET), std::string::npos) << target;
    }
}

TEST_F(RunningServer, PagesTheConfigurationLacksAreNotFound)
{
    EXPECT_EQ(HttpClient::get(port, "/").status, 404);
    EXPECT_EQ(HttpClient::get(port, "/PurchaseOrderList.htm?cmd=list").status, 404);
    EXPECT_EQ(HttpClient::get(port, "/download/stock.xml").status, 403);
}

TEST_F(RunningServer, KeepsTheConnectionAlive)
{
    HttpClient client(port);
    std::string request = "GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n";
    for (int i = 0; i < 3; ++i) {
        HttpClient::Response response = client.exchange(request);
        EXPECT_EQ(response.status, 200);
        EXPECT_FALSE(response.closed);
    }
    HttpClient::Response last = client.exchange("GET /static/site.css HTTP/1.1\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(last.status, 200);
    EXPECT_TRUE(client.waitForClose());
}

TEST_F(RunningServer, WritesOneLogLinePerRequest)
{
    HttpClient::get(port, "/static/site.css?v=1");
    EXPECT_TRUE(server->waitForLog("GET /static/site.css 200 6 ")) << server->log();
    HttpClient::get(port, "/no/such/file");
    EXPECT_TRUE(server->waitForLog("GET /no/such/file 404 ")) << server->log();
}

TEST_F(RunningServer, RefusesAnOverLimitBodyAtOnce)
{
    HttpClient client(port);
    HttpClient::Response response = client.exchange(postHeader("/login", "application/x-www-form-urlencoded", 200000000));
    EXPECT_EQ(response.status, 413);
    EXPECT_TRUE(response.closed);
    EXPECT_TRUE(client.waitForClose());
}

TEST_F(RunningServer, RefusesAnOverLimitHeader)
{
    HttpClient client(port);
    HttpClient::Response response = client.exchange("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\nX-Filler: "
                                                    + std::string(20000, 'f') + "\r\n\r\n");
    EXPECT_EQ(response.status, 431);
    EXPECT_TRUE(client.waitForClose());
    EXPECT_EQ(HttpClient::get(port, "/static/site.css").status, 200);
}

TEST_F(RunningServer, RefusesMalformedRequestsAndGoesOn)
{
    for (const char* garbage : {"GARBAGE\r\n\r\n", "GET /a HTTP/9.9\r\n\r\n", "GET /a HTTP/1.1\r\nBad Header\r\n\r\n",
                                "GET * HTTP/1.1\r\n\r\n"}) {
        HttpClient client(port);
        EXPECT_EQ(client.exchange(garbage).status, 400) << garbage;
    }
    HttpClient client(port);
    EXPECT_EQ(client.exchange("DELETE /static/site.css HTTP/1.1\r\n\r\n").status, 405);
    HttpClient gzip(port);
    EXPECT_EQ(gzip.exchange("POST /static/site.css HTTP/1.1\r\nTransfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n")
                  .status,
              501);
    EXPECT_EQ(HttpClient::get(port, "/static/site.css").status, 200);
}

TEST_F(RunningServer, AnswersContinueBeforeTheBody)
{
    HttpClient client(port);
    client.send(postHeader("/login", "application/x-www-form-urlencoded", 7, "Expect: 100-continue\r\n"));
    EXPECT_EQ(client.receive(false).status, 100);
    client.send("cmd=log");
    EXPECT_EQ(client.receive().status, 404);
}

TEST_F(RunningServer, RemovesUploadsAfterTheRequest)
{
    std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\nimport\r\n"
                       "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"stock.csv\"\r\n"
                       "Content-Type: text/csv\r\n\r\n"
                     + std::string(300000, 'x') + "\r\n--b0undary--\r\n";
    HttpClient client(port);
    HttpClient::Response response =
        client.exchange(postHeader("/StockProductImport", "multipart/form-data; boundary=b0undary", body.size()) + body);
    EXPECT_EQ(response.status, 404);
    ASSERT_TRUE(server->waitForLog("POST /StockProductImport 404")) << server->log();
    EXPECT_TRUE(std::filesystem::is_empty(temp / "data/sub/upload"));
}

TEST_F(RunningServer, RefusesAMalformedMultipartBody)
{
    std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\ncut short";
    HttpClient client(port);
    EXPECT_EQ(client.exchange(postHeader("/login", "multipart/form-data; boundary=b0undary", body.size()) + body).status,
              400);
}

TEST_F(RunningServer, CountsChunkedBodiesAgainstTheLimit)
{
    restart({"--max-body", "1000"});
    HttpClient small(port);
    small.send("POST /login HTTP/1.1\r\nHost: localhost\r\nContent-Type: text/plain\r\n"
               "Transfer-Encoding: chunked\r\n\r\n");
    small.send("10\r\n0123456789abcdef\r\n0\r\n\r\n");
    EXPECT_EQ(small.receive().status, 404);

    HttpClient large(port);
    large.send("POST /login HTTP/1.1\r\nHost: localhost\r\nContent-Type: text/plain\r\n"
               "Transfer-Encoding: chunked\r\n\r\n");
    std::string chunk(500, 'c');
    for (int i = 0; i < 3; ++i)
        large.send("1f4\r\n" + chunk + "\r\n");
    EXPECT_EQ(large.receive().status, 413);
    EXPECT_EQ(HttpClient(port).exchange(postHeader("/login", "text/plain", 1001) + std::string(1001, 'x')).status, 413);
}

TEST_F(RunningServer, TurnsAwayConnectionsOverTheCap)
{
    restart({"--max-connections", "2"});
    HttpClient first(port);
    HttpClient second(port);
    HttpClient third(port);
    ASSERT_TRUE(first.connected() && second.connected() && third.connected());
    EXPECT_EQ(third.receive().status, 503);
    EXPECT_TRUE(third.waitForClose());

    EXPECT_EQ(first.exchange("GET /static/site.css HTTP/1.1\r\nConnection: close\r\n\r\n").status, 200);
    EXPECT_TRUE(first.waitForClose());
    EXPECT_EQ(HttpClient::get(port, "/static/site.css").status, 200); // a place is free again
    EXPECT_EQ(second.exchange("GET /static/site.css HTTP/1.1\r\n\r\n").status, 200);
}

TEST_F(RunningServer, StopsCleanlyOnSigtermWithConnectionsOpen)
{
    HttpClient idle(port);
    HttpClient halfway(port);
    halfway.send("POST /login HTTP/1.1\r\nContent-Length: 100\r\n\r\nfirst part");
    HttpClient kept(port);
    EXPECT_EQ(kept.exchange("GET /static/site.css HTTP/1.1\r\n\r\n").status, 200);
    ASSERT_TRUE(server->waitForLog("GET /static/site.css 200"));
    EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    EXPECT_TRUE(idle.waitForClose());
    EXPECT_TRUE(halfway.waitForClose());
    EXPECT_TRUE(kept.waitForClose());
    server.reset();
}

TEST_F(RunningServer, StopsCleanlyOnSigint)
{
    EXPECT_EQ(server->stop(SIGINT), 0) << server->remainingOutput();
    server.reset();
}

TEST(ServerCommandLine, UnknownOptionsPrintTheUsageAndExitWith2)
{
    ServerProcess server({"--no-such-option"});
    EXPECT_TRUE(server.address().empty());
    EXPECT_EQ(server.wait(), 2);
    std::string output = server.remainingOutput();
    EXPECT_NE(output.find("unknown option --no-such-option"), std::string::npos) << output;
    EXPECT_NE(output.find("usage:"), std::string::npos) << output;
}

TEST(ServerCommandLine, HelpPrintsTheUsage)
{
    ServerProcess server({"--help"});
    EXPECT_EQ(server.address().rfind("usage:", 0), 0u) << server.address();
    EXPECT_EQ(server.wait(), 0);
}

TEST(ServerCommandLine, AMissingApplicationFolderIsAnError)
{
    TempFolder temp;
    ServerProcess server({"--port", "0", "--app", temp / "nothing", "--data", temp / "data"});
    EXPECT_TRUE(server.address().empty());
    EXPECT_EQ(server.wait(), 1);
}
