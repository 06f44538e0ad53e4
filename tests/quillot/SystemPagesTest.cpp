#include "CompanyTestSupport.h"

#include "quillot/frame/PasswordHash.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"

using tessel::Ref;
using tessel::String;

namespace {

using SystemPagesTest = CompanyTest;

TEST_F(SystemPagesTest, TheUpgradeBackupGoesIntoTheBackupFolder)
{
    ASSERT_TRUE(run(u"INSERT INTO zpsplyt(splnm) VALUES('上海华联')"));
    PageHarness form(u"SystemUpgrade", session, app);
    form.run({});
    EXPECT_EQ(form.at(u"FORM.dbname"), "shop.upgrade.db");
    EXPECT_EQ(form.at(u"FORM.folder"), (folder / "backup").string());

    PageHarness backup(u"SystemUpgrade", session, app);
    EXPECT_EQ(backup.run({{u"cmd", u"backup"}, {u"dbname", u"shop.upgrade.db"}, {u"folder", u"/tmp"}}), "ok:");
    ASSERT_TRUE(std::filesystem::exists(folder / "backup" / "shop.upgrade.db"));
    Ref<SqliteSession> copy = new SqliteSession(String::fromUTF8((folder / "backup").string()));
    ASSERT_TRUE(copy->open(u"shop.upgrade"));
    String name;
    EXPECT_EQ(copy->queryString(name, u"SELECT splnm FROM zpsplyt"), u"上海华联");

    // Once more under a name without ".db": it is added; the first copy is
    // replaced by a second backup under its name.
    PageHarness again(u"SystemUpgrade", session, app);
    EXPECT_EQ(again.run({{u"cmd", u"backup"}, {u"dbname", u"before"}}), "ok:");
    EXPECT_TRUE(std::filesystem::exists(folder / "backup" / "before.db"));
    EXPECT_TRUE(std::filesystem::exists(folder / "shop.db"));
}

TEST_F(SystemPagesTest, TheBackupNameIsANameNotAPath)
{
    for (const char16_t* name : {u"../shop", u"../../etc/x", u"/tmp/copy", u"sub/copy", u"..", u"", u".hidden"}) {
        PageHarness page(u"SystemUpgrade", session, app);
        EXPECT_EQ(page.run({{u"cmd", u"backup"}, {u"dbname", name}}), page.message(u"failed"))
            << String(name).toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "shop.db.db"));
    EXPECT_EQ(count(u"SELECT count(*) FROM zsysuser"), 1); // the database itself is untouched

    PageHarness unknown(u"SystemUpgrade", session, app);
    EXPECT_EQ(unknown.run({{u"cmd", u"copy"}}), unknown.message(u"Common.unknown"));
    PageHarness unbound(u"SystemUpgrade", nullptr, app);
    EXPECT_EQ(unbound.run({{u"cmd", u"backup"}, {u"dbname", u"x"}}), unbound.message(u"failed"));
}

TEST_F(SystemPagesTest, CreatingADatabase)
{
    PageHarness page(u"SystemCreate", session, app);
    EXPECT_EQ(page.run({{u"cmd", u"create"}, {u"dbname", u"trade"}, {u"company", u"华东贸易"}, {u"passwd", u"开门"}},
                       true),
              "ok:");
    ASSERT_TRUE(std::filesystem::exists(folder / "trade.db"));
    String name;
    EXPECT_EQ(session->getName(name), u"trade");

    SettingsTable settings(session);
    EXPECT_EQ(settings.dataVersion(), 20110401);
    EXPECT_EQ(settings.getText(2, 1), u"华东贸易");
    EXPECT_EQ(settings.getText(1, 8), u"xml");
    EXPECT_EQ(settings.getText(1, 7), u"");
    EXPECT_GT(settings.getTime(1, 3), 1300000000);
    EXPECT_EQ(settings.getTime(1, 3), settings.getTime(1, 4));
    // The administrator's password is kept as a hash, never as typed.
    String stored;
    session->queryString(stored, u"SELECT password FROM zsysuser WHERE userid = 'SYSTEM'");
    EXPECT_TRUE(PasswordHash::isHash(stored));
    bool plain = true;
    EXPECT_TRUE(PasswordHash::verify(stored, u"开门", plain));
    EXPECT_FALSE(plain);
    // No demonstration data unless asked for.
    EXPECT_EQ(count(u"SELECT count(*) FROM zpsplyt"), 0);
    EXPECT_EQ(count(u"SELECT count(*) FROM zsyslast"), 8);
}

TEST_F(SystemPagesTest, CreatingRefusesTakenNamesAndPaths)
{
    const struct {
        const char16_t* dbname;
        const char16_t* company;
        const char16_t* passwd;
        const char16_t* answer;
    } cases[] = {
        {u"shop", u"甲", u"pw", u"dbexist"},      {u"../shop2", u"甲", u"pw", u"dbname"},
        {u"/tmp/shop2", u"甲", u"pw", u"dbname"}, {u"a/b", u"甲", u"pw", u"dbname"},
        {u"", u"甲", u"pw", u"dbname"},           {u"new", u"", u"pw", u"company"},
        {u"new", u"甲", u"", u"passwd"},
    };
    for (const auto& c : cases) {
        PageHarness page(u"SystemCreate", session, app);
        EXPECT_EQ(page.run({{u"cmd", u"create"}, {u"dbname", c.dbname}, {u"company", c.company}, {u"passwd", c.passwd}},
                           true),
                  page.message(c.answer))
            << String(c.dbname).toStdString();
    }
    // Nothing was made, and the database that was open stays open.
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "shop2.db"));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.db"));
    String name;
    EXPECT_EQ(session->getName(name), u"shop");
    EXPECT_EQ(SettingsTable(session).getText(2, 1), u"示例贸易有限公司");
}

TEST_F(SystemPagesTest, TheDemoCompanyHasSuppliersClientsAndProducts)
{
    PageHarness page(u"SystemCreate", session, app);
    EXPECT_EQ(page.run({{u"cmd", u"create"},
                        {u"dbname", u"demo"},
                        {u"company", u"演示公司"},
                        {u"passwd", u"demo"},
                        {u"demo", u"1"}},
                       true),
              "ok:");
    EXPECT_GE(count(u"SELECT count(*) FROM zpsplyt"), 3);
    EXPECT_GE(count(u"SELECT count(*) FROM zsclntt"), 3);
    EXPECT_GE(count(u"SELECT count(*) FROM zcprdct WHERE qunty > 0 AND itmpr > 0"), 5);
}

} // namespace
