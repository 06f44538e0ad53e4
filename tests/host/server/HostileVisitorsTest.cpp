// The server against visitors who mean harm, over HTTP: sign-ins that
// would leave files open or memory held, slow and idle connections, files
// sent without signing in, database links, password guessing, and
// requests HTTP/1.1 does not allow.
#include "TestSite.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

const char FORM[] = "application/x-www-form-urlencoded";
const std::string WRONG_PASSWORD = "用户名或密码不正确";
const std::string WRONG_DATABASE = "找不到这个数据库：请检查数据库名称（只填名称，不要带路径）";

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// QUILLOT_LONG=1 runs the long loops at their full length.
int rounds(int shortRun, int longRun)
{
    const char* length = std::getenv("QUILLOT_LONG");
    return length && std::string(length) == "1" ? longRun : shortRun;
}

int openDescriptors(pid_t pid)
{
    std::error_code error;
    auto entries = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error);
    return error ? -1 : static_cast<int>(std::distance(begin(entries), end(entries)));
}

long residentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

std::string postText(const std::string& target, const std::string& body, const std::string& more = "")
{
    return "POST " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\nContent-Type: " + FORM +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + more + "\r\n" + body;
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A static file, tried for a while: the server may not have seen the
// closing of connections yet.
int staticStatusSoon(int port)
{
    int status = 0;
    for (int i = 0; i < 40 && status != 200; i++) {
        if (i > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        status = HttpClient::get(port, "/static/style.css").status;
    }
    return status;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The real application with its demo company.
class CompanyServer : public RealServer {
protected:
    void SetUp() override
    {
        std::filesystem::copy(TEST_SOURCE_DIR "/app", temp / "app", std::filesystem::copy_options::recursive);
    }
    void startCompany(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> arguments = {"--app", temp / "app", "--data", temp / "data"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        start(arguments);
    }

    // The answer to a sign-in from the client address `source`.
    std::string signIn(const std::string& fields, const char* source = "127.0.0.1")
    {
        HttpClient client(port, source);
        return client.exchange(postText("/login.htm", fields)).body;
    }
    // The milliseconds a sign-in takes to be answered.
    double timedSignIn(const std::string& fields, const char* source = "127.0.0.1")
    {
        Clock::time_point start = Clock::now();
        signIn(fields, source);
        return millisecondsSince(start);
    }
};

} // namespace

// 1. Failed sign-ins keep no database open and no session state; the
// server takes every descriptor it may have and keeps one in reserve.
TEST_F(CompanyServer, FailedSignInsKeepNoDescriptorsAndTheRightPasswordStillSignsIn)
{
    if (TESSEL_SANITIZED)
        GTEST_SKIP() << "the sanitizers' runtime takes descriptors and keeps freed memory of its own";
    startCompany({"--signin-failures", "1000000"});
    pid_t pid = server->pid();
    ASSERT_EQ(signIn("userid=NOBODY&passwd=x&dbname=demo"), WRONG_PASSWORD);
    int before = openDescriptors(pid);
    ASSERT_GT(before, 0);
    // A leak of even one descriptor per attempt would run out long before
    // the end.
    rlimit low{static_cast<rlim_t>(before + 16), static_cast<rlim_t>(before + 16)};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &low, nullptr), 0);

    const int attempts = rounds(60, 1000);
    const int together = 4;
    for (int done = 0; done < attempts; done += together) {
        std::vector<std::unique_ptr<HttpClient>> clients;
        for (int i = 0; i < together; i++) {
            clients.push_back(std::make_unique<HttpClient>(port));
            clients.back()->send(postText("/login.htm", i % 2 ? "userid=NOBODY&passwd=x&dbname=demo"
                                                              : "userid=SYSTEM&passwd=x&dbname=demo"));
        }
        for (auto& client : clients)
            ASSERT_EQ(client->receive().body, WRONG_PASSWORD) << done;
    }
    // The last connections are closed just after their answers left.
    int after = openDescriptors(pid);
    for (int i = 0; i < 20 && after > before; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        after = openDescriptors(pid);
    }
    EXPECT_LE(after, before);
    EXPECT_EQ(HttpClient::get(port, "/static/style.css").status, 200);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=demo"), "ok:");
    EXPECT_FALSE(contains(server->log(), "Too many open files"));
}

TEST_F(CompanyServer, TakesItsHardDescriptorLimitAndAnswers503WhenAllAreTaken)
{
    if (TESSEL_SANITIZED)
        GTEST_SKIP() << "the sanitizers' runtime takes descriptors and keeps freed memory of its own";
    rlimit own{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &own), 0);
    if (own.rlim_max < 512)
        GTEST_SKIP() << "the hard descriptor limit is too low to tell";
    rlimit lowered{256, own.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    startCompany();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &own), 0);
    pid_t pid = server->pid();
    rlimit taken{};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &taken), 0);
    EXPECT_EQ(taken.rlim_cur, own.rlim_max);

    // Out of descriptors: clients hear 503 at once instead of waiting.
    // (The limit counts descriptor numbers: the first clients also fill
    // whatever numbers are free below the highest one.)
    int open = openDescriptors(pid);
    rlimit tight{static_cast<rlim_t>(open + 2), static_cast<rlim_t>(open + 2)};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &tight, nullptr), 0);
    std::vector<std::unique_ptr<HttpClient>> holders;
    for (int i = 0; i < 16; i++) {
        holders.push_back(std::make_unique<HttpClient>(port));
        holders.back()->send("GET /static/style.css HTTP/1.1\r\n"); // not idle: kept
    }
    for (int i = 0; i < 3; i++) {
        HttpClient turnedAway(port);
        EXPECT_EQ(turnedAway.receive().status, 503) << i;
    }
    holders.clear();
    EXPECT_EQ(staticStatusSoon(port), 200);
}

// 2. Huge sign-in fields are refused before any work and leave no memory
// behind.
TEST_F(CompanyServer, HugeSignInFieldsLeaveNoMemoryBehind)
{
    if (TESSEL_SANITIZED)
        GTEST_SKIP() << "the sanitizers' runtime takes descriptors and keeps freed memory of its own";
    startCompany();
    pid_t pid = server->pid();
    std::string huge(7000000, 'A');
    EXPECT_EQ(signIn("userid=" + std::string(65, 'A') + "&passwd=x&dbname=demo"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=" + std::string(257, 'x') + "&dbname=demo"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=" + std::string(65, 'd')), WRONG_DATABASE);
    EXPECT_EQ(signIn("userid=" + huge + "&passwd=x&dbname=demo"), WRONG_PASSWORD); // the allocator warms up
    long before = residentKb(pid);
    for (int i = 0; i < 20; i++)
        ASSERT_EQ(signIn("userid=" + huge + "&passwd=x&dbname=demo"), WRONG_PASSWORD) << i;
    // The last request's memory is freed once its answer has left: what
    // stays is the least the server holds over the next moment.
    long after = residentKb(pid);
    for (int i = 0; i < 20 && after - before >= 8 * 1024; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        after = std::min(after, residentKb(pid));
    }
    EXPECT_LT(after - before, 8 * 1024) << before << " kB before, " << after << " kB after";
    // Refused before any password was checked: no failure counted.
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=demo"), "ok:");
}

// 5. A database file that is a link is refused, and nothing it points at
// is read or written.
TEST_F(CompanyServer, ALinkedDatabaseIsRefusedAndNothingOutsideChanges)
{
    startCompany();
    std::filesystem::path outside = temp / "outside";
    std::filesystem::create_directory(outside);
    std::filesystem::copy_file(temp / "data/demo.db", outside / "real.db");
    std::filesystem::create_symlink(outside / "real.db", temp / "data/linked.db");
    auto size = std::filesystem::file_size(outside / "real.db");
    auto written = std::filesystem::last_write_time(outside / "real.db");
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=linked"), WRONG_DATABASE);
    EXPECT_EQ(std::filesystem::file_size(outside / "real.db"), size);
    EXPECT_EQ(std::filesystem::last_write_time(outside / "real.db"), written);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(outside), std::filesystem::directory_iterator()), 1);
    // The form does not offer it either.
    EXPECT_FALSE(contains(HttpClient::get(port, "/login.htm").body, "value=\"linked\""));
}

// 7. Guessing: five failures of one address or one user, then refusals
// without a password check, saying when to try again.
TEST_F(CompanyServer, AfterFiveFailuresAttemptsAreRefusedAtOnceUntilTheWaitIsOver)
{
    startCompany();
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(signIn("userid=SYSTEM&passwd=wrong&dbname=demo"), WRONG_PASSWORD) << i;
    std::string refused = signIn("userid=SYSTEM&passwd=demo&dbname=demo");
    EXPECT_TRUE(contains(refused, "以后再试")) << refused; // even the right password
    EXPECT_TRUE(contains(refused, "30 秒") || contains(refused, "1 分钟")) << refused;
    // The user is refused from another address too, and the address for
    // another user; a third party is not.
    EXPECT_TRUE(contains(signIn("userid=SYSTEM&passwd=demo&dbname=demo", "127.0.0.2"), "以后再试"));
    EXPECT_TRUE(contains(signIn("userid=OTHER&passwd=x&dbname=demo"), "以后再试"));
    EXPECT_EQ(signIn("userid=OTHER&passwd=x&dbname=demo", "127.0.0.3"), WRONG_PASSWORD);

    // A refusal checks no password: it comes faster than any check.
    std::vector<double> checked, refusals;
    for (int i = 0; i < 5; i++) {
        checked.push_back(timedSignIn("userid=THIRD&passwd=x&dbname=demo", "127.0.0.4"));
        refusals.push_back(timedSignIn("userid=SYSTEM&passwd=x&dbname=demo"));
    }
    EXPECT_LT(median(refusals), median(checked))
        << median(refusals) << " ms refused, " << median(checked) << " ms checked";
}

TEST_F(CompanyServer, ASuccessClearsTheUsersFailures)
{
    startCompany({"--signin-failures", "3"});
    // Each failure from an address of its own: only the user's count grows.
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=a&dbname=demo", "127.0.0.11"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=b&dbname=demo", "127.0.0.12"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=demo", "127.0.0.13"), "ok:");
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=c&dbname=demo", "127.0.0.14"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=d&dbname=demo", "127.0.0.15"), WRONG_PASSWORD);
    EXPECT_EQ(signIn("userid=SYSTEM&passwd=demo&dbname=demo", "127.0.0.16"), "ok:");
    for (const char* source : {"127.0.0.17", "127.0.0.18", "127.0.0.19"})
        EXPECT_EQ(signIn("userid=SYSTEM&passwd=e&dbname=demo", source), WRONG_PASSWORD);
    EXPECT_TRUE(contains(signIn("userid=SYSTEM&passwd=demo&dbname=demo", "127.0.0.20"), "以后再试"));
}

TEST_F(CompanyServer, AKnownAndAnUnknownUserTakeAsLongToRefuse)
{
    startCompany({"--signin-failures", "1000"});
    // The time tells nobody which user ids exist.
    std::vector<double> known, unknown;
    for (int i = 0; i < 7; i++) {
        unknown.push_back(timedSignIn("userid=USER" + std::to_string(i) + "&passwd=x&dbname=demo"));
        known.push_back(timedSignIn("userid=SYSTEM&passwd=x" + std::to_string(i) + "&dbname=demo"));
    }
    double ratio = median(unknown) / median(known);
    EXPECT_GT(ratio, 0.5) << median(unknown) << " ms unknown, " << median(known) << " ms known";
    EXPECT_LT(ratio, 2.0) << median(unknown) << " ms unknown, " << median(known) << " ms known";
}

// 3. A body sent a byte at a time has a deadline for the whole of it.
TEST_F(TestSite, ASlowBodyIsCutOffWhileOthersAreServed)
{
    restartSite({"--read-seconds", "1", "--max-connections", "5"});
    std::vector<std::unique_ptr<HttpClient>> slow;
    for (int i = 0; i < 5; i++) {
        slow.push_back(std::make_unique<HttpClient>(port));
        slow.back()->send("POST /open HTTP/1.1\r\nHost: localhost\r\nContent-Type: text/plain\r\n"
                          "Content-Length: 1000\r\n\r\n");
    }
    // A byte from each every half second: never silent for a second, but
    // far below the slowest rate a body may come at.
    Clock::time_point start = Clock::now();
    size_t closed = 0;
    while (closed < slow.size() && millisecondsSince(start) < 10000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        closed = 0;
        for (auto& client : slow)
            closed += client->send("x") ? 0 : 1;
    }
    EXPECT_LT(millisecondsSince(start), 10000);
    for (auto& client : slow)
        EXPECT_TRUE(client->waitForClose());
    EXPECT_EQ(get("/static/site.css").status, 200);
}

// 6. Connections that send nothing make room for one that has a request.
TEST_F(TestSite, IdleConnectionsMakeRoomForClientsWithARequest)
{
    restartSite({"--max-connections", "20"});
    std::vector<std::unique_ptr<HttpClient>> idle;
    for (int i = 0; i < 40; i++)
        idle.push_back(std::make_unique<HttpClient>(port));
    HttpClient client(port);
    HttpClient::Response response = client.exchange("GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n");
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "body{}");
    // The first ones, idle longest, went first.
    for (int i = 0; i < 20; i++)
        EXPECT_TRUE(idle[i]->waitForClose()) << i;
}

// 4. Files are taken only from signed-in visitors, before anything is
// stored.
TEST_F(TestSite, AnonymousMultipartRequestsAreRefusedBeforeAnythingIsWritten)
{
    const std::string multipart = "multipart/form-data; boundary=b0undary";
    std::string body = "--b0undary\r\nContent-Disposition: form-data; name=\"file\"; filename=\"big.bin\"\r\n\r\n" +
                       std::string(3 * 1024 * 1024, 'x') + "\r\n--b0undary--\r\n";
    for (const char* page : {"/upload", "/signin", "/nosuch"}) {
        HttpClient::Response response = post(page, body, "", multipart);
        EXPECT_EQ(response.status, 403) << page;
        EXPECT_TRUE(std::filesystem::is_empty(dataFolder() + "/upload")) << page;
    }
    // A visitor whose session is not signed in is as anonymous.
    std::string visitor = PageVisitor::sessionCookie(get("/open"));
    ASSERT_FALSE(visitor.empty());
    EXPECT_EQ(post("/upload", body, visitor, multipart).status, 403);
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder() + "/upload"));
}

// 8. What HTTP/1.1 does not allow is answered 400.
TEST_F(TestSite, RequestsWithoutOneHostOrWithBadChunkSizesGet400)
{
    const std::string chunked = "POST /open HTTP/1.1\r\nHost: localhost\r\nContent-Type: text/plain\r\n"
                                "Transfer-Encoding: chunked\r\n\r\n";
    const std::pair<std::string, int> rows[] = {
        {"GET /static/site.css HTTP/1.1\r\n\r\n", 400},
        {"GET /static/site.css HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400},
        {"GET /static/site.css HTTP/1.1\r\nHost: localhost\r\n\r\n", 200},
        {"GET /static/site.css HTTP/1.0\r\n\r\n", 200},
        {chunked + "zz\r\nabc\r\n0\r\n\r\n", 400},
        {chunked + "-5\r\nabcde\r\n0\r\n\r\n", 400},
        {chunked + "0x3\r\nabc\r\n0\r\n\r\n", 400},
        {chunked + "3\r\nabc\r\n0\r\n\r\n", 200},
    };
    for (const auto& [request, status] : rows) {
        HttpClient client(port);
        EXPECT_EQ(client.exchange(request).status, status) << request;
    }
}
