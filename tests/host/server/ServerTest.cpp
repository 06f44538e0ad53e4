// The server as an HTTP server: its address, static files, connections,
// limits, malformed requests, signals and command line.
#include "TestSite.h"

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

namespace {

std::string postHeader(const std::string& target, const std::string& type, size_t length, const std::string& more = "")
{
    return "POST " + target + " HTTP/1.1\r\nHost: localhost\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(length) + "\r\n" + more + "\r\n";
}

const std::string CSS = "GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n";

} // namespace

TEST_F(TestSite, PrintsItsAddressFirstAndMakesItsDataFolder)
{
    EXPECT_TRUE(std::regex_match(server->address(), std::regex("http://127\\.0\\.0\\.1:[0-9]+/"))) << server->address();
    EXPECT_GT(port, 0);
    EXPECT_TRUE(std::filesystem::is_directory(dataFolder() + "/download"));
    EXPECT_TRUE(std::filesystem::is_directory(dataFolder() + "/upload"));
}

TEST_F(TestSite, StaticFilesComeWithTheirTypesAndDates)
{
    HttpClient::Response css = get("/static/site.css");
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.headers["content-type"], "text/css");
    EXPECT_EQ(css.body, "body{}");
    EXPECT_FALSE(css.headers["last-modified"].empty());
    EXPECT_EQ(css.headers["x-content-type-options"], "nosniff");
    EXPECT_EQ(get("/static/js/app.js").headers["content-type"], "application/x-javascript");
    EXPECT_EQ(get("/static/logo.png").headers["content-type"], "image/png");
    HttpClient::Response again = HttpClient::get(port, "/static/site.css",
                                                 "If-Modified-Since: " + css.headers["last-modified"] + "\r\n");
    EXPECT_EQ(again.status, 304);
    EXPECT_TRUE(again.body.empty());
}

TEST_F(TestSite, OneConnectionCarriesHeadAndKeptAliveRequests)
{
    HttpClient client(port);
    client.send("HEAD /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n");
    HttpClient::Response head = client.receive(false);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.headers["content-length"], "6");
    for (int i = 0; i < 3; ++i) {
        HttpClient::Response response = client.exchange(CSS);
        EXPECT_EQ(response.body, "body{}"); // nothing of a body came after the HEAD
        EXPECT_FALSE(response.closed);
    }
    EXPECT_EQ(client.exchange("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n").status,
              200);
    EXPECT_TRUE(client.waitForClose());
}

TEST_F(TestSite, NoPathClimbsOutOfTheApplication)
{
    for (const char* target : {"/../secret.txt",
                               "/../app/config.xml",
                               "/../config.xml",
                               "/static/../config.xml",
                               "/static/../../secret.txt",
                               "/static/js/../../config.xml",
                               "/%2e%2e/secret.txt",
                               "/%2e%2e/config.xml",
                               "/static/%2e%2e/config.xml",
                               "/static/%2e%2e/%2e%2e/secret.txt",
                               "/static/..%2fconfig.xml",
                               "/static/%2E%2E%2Fconfig.xml",
                               "/static/..\\config.xml",
                               "/static/%2e%2e%5cconfig.xml",
                               "/static/site.css%00.png",
                               "/static//etc/passwd",
                               "/..%2fsecret",
                               "/..",
                               "/config.xml",
                               "/secret.txt"}) {
        HttpClient::Response response = get(target);
        EXPECT_TRUE(response.status == 400 || response.status == 404) << target << " " << response.status;
        EXPECT_EQ(response.body.find("outside the application"), std::string::npos) << target;
        EXPECT_EQ(response.body.find("<config>"), std::string::npos) << target;
    }
}

TEST_F(TestSite, WritesOneLogLinePerRequest)
{
    get("/static/site.css?v=1");
    EXPECT_TRUE(server->waitForLog("GET /static/site.css 200 6 ")) << server->log();
    get("/no/such/file");
    EXPECT_TRUE(server->waitForLog("GET /no/such/file 404 ")) << server->log();
}

TEST_F(TestSite, AnswersOverLimitRequestsWith413Or431AndGoesOn)
{
    HttpClient huge(port);
    HttpClient::Response response = huge.exchange(postHeader("/open", "application/x-www-form-urlencoded", 200000000));
    EXPECT_EQ(response.status, 413);
    EXPECT_TRUE(response.closed);
    EXPECT_TRUE(huge.waitForClose());
    HttpClient header(port);
    EXPECT_EQ(header
                  .exchange("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\nX-Filler: " + std::string(20000, 'f') +
                            "\r\n\r\n")
                  .status,
              431);
    EXPECT_TRUE(header.waitForClose());
    EXPECT_EQ(get("/static/site.css").status, 200);

    // Chunked bodies count against the limit too.
    restartSite({"--max-body", "1000"});
    const std::string chunked = "POST /open HTTP/1.1\r\nHost: localhost\r\nContent-Type: text/plain\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n";
    EXPECT_EQ(HttpClient(port).exchange(chunked + "10\r\n0123456789abcdef\r\n0\r\n\r\n").status, 200);
    HttpClient large(port);
    large.send(chunked);
    for (int i = 0; i < 3; ++i)
        large.send("1f4\r\n" + std::string(500, 'c') + "\r\n");
    EXPECT_EQ(large.receive().status, 413);
    EXPECT_EQ(HttpClient(port).exchange(postHeader("/open", "text/plain", 1001) + std::string(1001, 'x')).status, 413);
}

TEST_F(TestSite, RefusesMalformedRequestsAndGoesOn)
{
    const std::string cutShort = "--b0undary\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\ncut short";
    const std::pair<std::string, int> rows[] = {
        {"GARBAGE\r\n\r\n", 400},
        {"GET /a HTTP/9.9\r\n\r\n", 400},
        {"GET /a HTTP/1.1\r\nBad Header\r\n\r\n", 400},
        {"GET * HTTP/1.1\r\n\r\n", 400},
        {postHeader("/open", "multipart/form-data; boundary=b0undary", cutShort.size()) + cutShort, 403}, // anonymous
        {"DELETE /static/site.css HTTP/1.1\r\n\r\n", 405},
        {postHeader("/static/site.css", "text/plain", 0), 405},
        {"POST /static/site.css HTTP/1.1\r\nHost: localhost\r\nTransfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n", 501},
    };
    for (const auto& [request, status] : rows) {
        HttpClient client(port);
        EXPECT_EQ(client.exchange(request).status, status) << request;
    }
    EXPECT_EQ(get("/static/site.css").status, 200);
}

TEST_F(TestSite, AnswersContinueBeforeTheBody)
{
    HttpClient client(port);
    client.send(postHeader("/open", "application/x-www-form-urlencoded", 3, "Expect: 100-continue\r\n"));
    EXPECT_EQ(client.receive(false).status, 100);
    client.send("a=1");
    HttpClient::Response response = client.receive();
    EXPECT_EQ(response.status, 200);
    EXPECT_NE(response.body.find("posted=1;"), std::string::npos) << response.body;
}

TEST_F(TestSite, TurnsAwayConnectionsOverTheCap)
{
    restartSite({"--max-connections", "2"});
    // Both have begun a request: neither is idle, neither makes room.
    HttpClient first(port);
    first.send("GET /static/site.css HTTP/1.1\r\n");
    HttpClient second(port);
    second.send("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // for the server to take both in
    HttpClient third(port);
    ASSERT_TRUE(first.connected() && second.connected() && third.connected());
    EXPECT_EQ(third.receive().status, 503);
    EXPECT_TRUE(third.waitForClose());

    EXPECT_EQ(first.exchange("Host: localhost\r\nConnection: close\r\n\r\n").status, 200);
    EXPECT_TRUE(first.waitForClose());
    EXPECT_EQ(get("/static/site.css").status, 200); // a place is free again
    EXPECT_EQ(second.exchange("\r\n").status, 200);
    EXPECT_EQ(second.exchange(CSS).status, 200);
}

TEST_F(TestSite, EndsConnectionsOfSilentClients)
{
    restartSite({"--read-seconds", "1"});
    HttpClient silent(port);
    HttpClient header(port);
    header.send("GET /static/site.css HTTP/1.1\r\nHost: loc");
    HttpClient body(port);
    body.send("POST /open HTTP/1.1\r\nHost: localhost\r\nContent-Length: 100\r\n\r\nfirst part");
    EXPECT_TRUE(silent.waitForClose());
    EXPECT_TRUE(header.waitForClose());
    EXPECT_TRUE(body.waitForClose());
    EXPECT_EQ(get("/static/site.css").status, 200); // the server goes on
}

TEST_F(TestSite, StopsCleanlyOnSigtermWithConnectionsOpenAndOnSigint)
{
    HttpClient idle(port);
    HttpClient halfway(port);
    halfway.send("POST /open HTTP/1.1\r\nHost: localhost\r\nContent-Length: 100\r\n\r\nfirst part");
    HttpClient kept(port);
    EXPECT_EQ(kept.exchange(CSS).status, 200);
    ASSERT_TRUE(server->waitForLog("GET /static/site.css 200"));
    EXPECT_EQ(server->stop(SIGTERM), 0) << server->remainingOutput();
    EXPECT_TRUE(idle.waitForClose());
    EXPECT_TRUE(halfway.waitForClose());
    EXPECT_TRUE(kept.waitForClose());
    startSite();
    EXPECT_EQ(server->stop(SIGINT), 0) << server->remainingOutput();
    server.reset();
}

TEST(ServerCommandLine, PrintsTheUsageOrRefusesToStart)
{
    TempFolder temp;
    ServerProcess help({"--help"});
    EXPECT_EQ(help.address().rfind("usage:", 0), 0u) << help.address();
    EXPECT_EQ(help.wait(), 0);
    ServerProcess unknown({"--no-such-option"});
    EXPECT_TRUE(unknown.address().empty());
    EXPECT_EQ(unknown.wait(), 2);
    std::string output = unknown.remainingOutput();
    EXPECT_NE(output.find("unknown option --no-such-option"), std::string::npos) << output;
    EXPECT_NE(output.find("usage:"), std::string::npos) << output;
    ServerProcess noApplication({"--port", "0", "--app", temp / "nothing", "--data", temp / "data"});
    EXPECT_TRUE(noApplication.address().empty());
    EXPECT_EQ(noApplication.wait(), 1);
}
