// The business application over HTTP: the real server with the real
// application folder and library, the demo company it makes on the first
// run, and visitors signing in, reading their notices and signing out.
#include <gtest/gtest.h>

#include <signal.h>

#include <cstdlib>
#include <filesystem>

#include "CompanyServer.h"

namespace {

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The section of the notices page with this id.
std::string noticeSection(const std::string& page, const std::string& id)
{
    size_t start = page.find(" id=\"" + id + "\" aria-labelledby=");
    if (start == std::string::npos)
        return std::string();
    return page.substr(start, page.find("</section>", start) - start);
}

} // namespace

TEST_F(CompanyOverHttp, TheFirstRunMakesTheDemoCompanyToSignInTo)
{
    EXPECT_TRUE(std::filesystem::exists(temp / "data/demo.db"));
    std::string told = server->nextOutputLine();
    EXPECT_TRUE(contains(told, "database \"demo\", user \"SYSTEM\", password \"demo\"")) << told;

    PageVisitor visitor(port);
    HttpClient::Response form = visitor.get("/login.htm");
    EXPECT_EQ(form.status, 200);
    EXPECT_TRUE(contains(form.body, "<option value=\"demo\">"));
    EXPECT_EQ(signIn(visitor, "dbname=demo&userid=SYSTEM&passwd=demo"), "ok:");

    // The home page sends a current database to the notices, and the page
    // shows the company and the user of the visitor's session.
    HttpClient::Response home = visitor.get("/index.htm");
    EXPECT_EQ(home.status, 302);
    EXPECT_EQ(home.headers["location"], "notice.htm");
    HttpClient::Response notices = visitor.get("/notice.htm");
    EXPECT_EQ(notices.status, 200);
    EXPECT_TRUE(contains(notices.body, "<title>示例贸易有限公司 · Quillot 商贸管理</title>"));
    EXPECT_TRUE(contains(notices.body, "（SYSTEM）"));
}

TEST_F(CompanyOverHttp, WrongPasswordsUnknownDatabasesAndInjectionsSignNobodyIn)
{
    const std::string refusals[] = {
        "dbname=demo&userid=SYSTEM&passwd=wrong",
        "dbname=demo&userid=SYSTEM&passwd=",
        "dbname=demo&userid=nobody&passwd=demo",
        "dbname=demo&userid=SYSTEM&passwd=%27+OR+%271%27%3D%271",
        "dbname=demo&userid=SYSTEM%27+--&passwd=x",
        "dbname=demo&userid=%27+OR+1%3D1+--&passwd=%27+OR+%271%27%3D%271",
        "dbname=nosuch&userid=SYSTEM&passwd=demo",
        "dbname=..%2Fdata%2Fdemo&userid=SYSTEM&passwd=demo",
        "dbname=%2Ftmp%2Fdemo&userid=SYSTEM&passwd=demo",
        "dbname=demo.db&userid=SYSTEM&passwd=demo",
    };
    for (const std::string& fields : refusals) {
        PageVisitor visitor(port);
        std::string answer = signIn(visitor, fields);
        EXPECT_NE(answer, "ok:") << fields;
        EXPECT_FALSE(answer.empty()) << fields;
        EXPECT_FALSE(passesTheGuard(visitor)) << fields;
    }
    // Unknown names are refused with the database message and make no file.
    PageVisitor visitor(port);
    EXPECT_EQ(signIn(visitor, "dbname=nosuch&userid=SYSTEM&passwd=demo"),
              "找不到这个数据库：请检查数据库名称（只填名称，不要带路径）");
    EXPECT_FALSE(std::filesystem::exists(temp / "data/nosuch.db"));
    EXPECT_FALSE(std::filesystem::exists(temp / "data/demo.db.db"));
    EXPECT_FALSE(std::filesystem::exists("/tmp/demo.db"));
}

TEST_F(CompanyOverHttp, SigningOutEndsTheSessionAndItsCookie)
{
    PageVisitor visitor = signedIn();
    ASSERT_TRUE(passesTheGuard(visitor));
    HttpClient::Response out = visitor.get("/logout.htm");
    EXPECT_EQ(out.status, 302);
    EXPECT_EQ(out.headers["location"], "login.htm");
    EXPECT_FALSE(passesTheGuard(visitor));
    HttpClient::Response refused = visitor.get("/notice.htm");
    EXPECT_EQ(refused.status, 302);
    EXPECT_EQ(refused.headers["location"], "/login.htm");
}

TEST_F(CompanyOverHttp, TheHomePageSendsAnOlderDatabaseToTheUpgrade)
{
    ASSERT_TRUE(
        database(u"demo")->execute(u"UPDATE zsysconf SET svalue = '20090101' WHERE classid = 1 AND nameid = 0"));
    PageVisitor visitor = signedIn();
    HttpClient::Response home = visitor.get("/Index.htm");
    EXPECT_EQ(home.status, 302);
    EXPECT_EQ(home.headers["location"], "SystemUpgrade.htm");
    HttpClient::Response upgrade = visitor.get("/SystemUpgrade.htm");
    EXPECT_EQ(upgrade.status, 200);
}

TEST_F(CompanyOverHttp, NoticesListWhatIsDueWithinTheDaysAndNotWhatIsLater)
{
    tessel::Ref<IDbSession> db = database(u"demo");
    int client = db->queryInt(u"SELECT MIN(cltid) FROM zsclntt", 0);
    ASSERT_GT(client, 0);
    tessel::String sql;
    ASSERT_TRUE(db->execute(sql.format(u"INSERT INTO zsordrt(ordid, cltid, amont, paids, taxrt, stats, excdt) "
                                       u"VALUES('SO-DUE-1', %d, 1000, 0, 1, 1, date('now'))",
                                       client)));
    const char16_t* lines[] = {
        u"(1, '三日内交货的螺栓', 5, 0, date('now', '+3 days'))",
        u"(2, '一月后交货的螺母', 5, 0, date('now', '+30 days'))",
        u"(3, '已发完的垫圈', 5, 5, date('now', '+1 days'))",
    };
    for (const char16_t* line : lines) {
        ASSERT_TRUE(db->execute(tessel::String(u"INSERT INTO zsordrd(ordid, linnm, prdnm, qunty, ldngs, shpdt) "
                                               u"SELECT 'SO-DUE-1', column1, column2, column3, column4, column5 "
                                               u"FROM (VALUES ") +
                                line + u")"));
    }
    PageVisitor visitor = signedIn();
    std::string week = noticeSection(visitor.get("/notice.htm?days=7").body, "salesExport");
    EXPECT_TRUE(contains(week, "三日内交货的螺栓"));
    EXPECT_FALSE(contains(week, "一月后交货的螺母"));
    EXPECT_FALSE(contains(week, "已发完的垫圈"));
    std::string all = noticeSection(visitor.get("/notice.htm?days=0").body, "salesExport");
    EXPECT_TRUE(contains(all, "三日内交货的螺栓"));
    EXPECT_TRUE(contains(all, "一月后交货的螺母"));
    EXPECT_FALSE(contains(all, "已发完的垫圈"));
}

TEST_F(CompanyOverHttp, TwoVisitorsOfTwoCompaniesEachSeeTheirOwn)
{
    // A second company, made as an administrator makes one.
    std::string command = "printf 'other-secret\\nother-secret\\n' | '" QUILLOT_SERVER "' --create other"
                          " --company '第二贸易公司' --app '" +
                          (temp / "app") + "' --data '" + (temp / "data") + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    PageVisitor first = signedIn("demo", "demo");
    PageVisitor second = signedIn("other", "other-secret");
    EXPECT_NE(first.cookie(), second.cookie());
    std::string firstPage = first.get("/notice.htm").body;
    std::string secondPage = second.get("/notice.htm").body;
    EXPECT_TRUE(contains(firstPage, "<title>示例贸易有限公司"));
    EXPECT_TRUE(contains(secondPage, "<title>第二贸易公司"));
    // The first visitor's database stays the demo one after the second
    // signed in elsewhere.
    EXPECT_TRUE(contains(first.get("/notice.htm").body, "<title>示例贸易有限公司"));
}

TEST_F(CompanyOverHttp, AVisitorSignedInBeforeARestartSignsInAgain)
{
    std::string cookie = signedIn().cookie();
    EXPECT_EQ(server->stop(SIGTERM), 0);
    start();
    PageVisitor visitor(port, cookie);
    EXPECT_FALSE(passesTheGuard(visitor));
    // The form suggests the database of the last sign-in.
    EXPECT_TRUE(contains(visitor.get("/login.htm").body, "list=\"database-names\" value=\"demo\""));
    EXPECT_TRUE(passesTheGuard(signedIn()));
}
