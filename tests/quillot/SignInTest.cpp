// Signing in: the sign-in page over real company databases and the
// session tree it builds. Sign-out and the home page's redirect are tried
// over HTTP against the running server.
#include "CompanyTestSupport.h"

#include <map>

#include "quillot/frame/Application.h"
#include "quillot/frame/PasswordHash.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/LoginAction.h"
#include "quillot/pages/PasswordCheck.h"
#include "quillot/pages/SignInThrottle.h"
#include "quillot/pages/UserCheck.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// The host's window as far as the application uses it: settings and events.
class RecordingWindow : public tessel::HttpWindow {
public:
    void getTitle(String&) override {}
    void setTitle(const String&) override {}
    void setSetting(const String& key, const String& value) override { settings[key.toStdString()] = value; }
    void getSetting(const String& key, String& out) override
    {
        auto found = settings.find(key.toStdString());
        if (found != settings.end())
            out = found->second;
    }
    void show(int) override {}
    void hide() override {}
    void navigate(const String&) override {}
    void refresh() override {}
    void setStatus(const String&) override {}
    void postEvent(int code, int argument) override { events.push_back(code * 1000 + argument); }
    void sendEvent(int, int) override {}
    void* getHandle() override { return nullptr; }
    void setTimer(int, int) override {}
    void killTimer(int) override {}
    bool openFile(const String&, String&) override { return false; }
    bool saveFile(const String&, String&) override { return false; }
    void close() override {}

    std::map<std::string, String> settings;
    std::vector<int> events;
};

const char* const WRONG_PASSWORD = "用户名或密码不正确";

class SignInTest : public CompanyTest {
protected:
    void SetUp() override
    {
        CompanyTest::SetUp();
        Application::setWindow(&window);
        // The tests sign in wrongly many times from one address.
        window.settings["signin.failures"] = u"1000";
        SignInThrottle::instance().clear();
    }
    void TearDown() override
    {
        Application::setWindow(nullptr);
        CompanyTest::TearDown();
    }

    // The answer of one sign-in; `page` keeps the visitor's request.
    std::string signIn(PageHarness& page, const String& userid, const String& passwd, const String& dbname = u"shop")
    {
        return page.run({{u"userid", userid}, {u"passwd", passwd}, {u"dbname", dbname}}, true);
    }
    std::string signIn(const String& userid, const String& passwd, const String& dbname = u"shop")
    {
        PageHarness page(u"Login", session, app);
        return signIn(page, userid, passwd, dbname);
    }
    static Value* companyOf(PageHarness& page)
    {
        return dynamic_cast<Value*>(page.request.getSession().getAttribute(u"company"));
    }
    std::string dbnameMessage()
    {
        PageHarness page(u"Login", session, app);
        return page.action->getMessage(u"dbname").toStdString();
    }
    std::string openName()
    {
        String name;
        return session->getName(name).toStdString();
    }

    RecordingWindow window;
};

} // namespace

TEST_F(SignInTest, TheRightPasswordSignsInAndTheSessionHoldsTheCompany)
{
    PageHarness page(u"Login", session, app);
    EXPECT_EQ(signIn(page, u"SYSTEM", u"secret"), "ok:");
    Value* tree = companyOf(page);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->getAt(u"userid"), u"SYSTEM");
    EXPECT_EQ(tree->getAt(u"company"), u"示例贸易有限公司");
    EXPECT_EQ(tree->getAt(u"startime").toLong(), NOW);
    EXPECT_EQ(tree->getInt(u"version"), Application::version());
    EXPECT_EQ(page.action->userState().userId(), u"SYSTEM");

    // The host remembers the database and company for the next sign-in.
    EXPECT_EQ(window.settings["dbname"], u"shop");
    EXPECT_EQ(window.settings["company"], u"示例贸易有限公司");
    EXPECT_EQ(window.events, std::vector<int>{100000});
    // The time of the sign-in is kept.
    EXPECT_GE(SettingsTable(session).getTime(1, 4), tessel::Date::ansiTime() - 5);
}

TEST_F(SignInTest, WrongPasswordsUnknownUsersAndInjectionAttemptsNeverSignIn)
{
    PageHarness wrong(u"Login", session, app);
    EXPECT_EQ(signIn(wrong, u"SYSTEM", u"Secret"), WRONG_PASSWORD);
    EXPECT_EQ(companyOf(wrong), nullptr);
    const struct {
        const char16_t* userid;
        const char16_t* passwd;
    } refused[] = {{u"SYSTEM", u""},
                   {u"NOBODY", u"secret"},
                   {u"SYSTEM", u"' OR '1'='1"},
                   {u"SYSTEM", u"x' OR 'a'='a' --"},
                   {u"SYSTEM", u"secret' --"},
                   {u"SYSTEM", u"'; DELETE FROM zsysuser; --"},
                   {u"SYSTEM' --", u"secret"},
                   {u"' OR '1'='1", u"secret"},
                   {u"SYSTEM' OR 'a'='a", u"secret"},
                   {u"x' UNION SELECT 'a', 'b' --", u"secret"}};
    for (const auto& r : refused)
        EXPECT_EQ(signIn(r.userid, r.passwd), WRONG_PASSWORD)
            << String(r.userid).toStdString() << " / " << String(r.passwd).toStdString();
    EXPECT_EQ(window.settings.count("dbname"), 0u);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(count(u"SELECT count(*) FROM zsysuser"), 1);
    EXPECT_EQ(signIn(u"SYSTEM", u"secret"), "ok:");
}

TEST_F(SignInTest, DatabaseNamesArePlainNamesOfDatabasesThatExist)
{
    EXPECT_EQ(signIn(u"SYSTEM", u"secret", u"other"), dbnameMessage());
    EXPECT_FALSE(session->exists(u"other"));
    EXPECT_FALSE(std::filesystem::exists(folder / "other.db"));
    EXPECT_EQ(signIn(u"SYSTEM", u"secret", u""), dbnameMessage());

    // A database that a path could reach: a copy of "shop" beside the data
    // folder and one in a folder below it.
    std::filesystem::copy_file(folder / "shop.db", folder.parent_path() / (folder.filename().string() + "-x.db"));
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::copy_file(folder / "shop.db", folder / "sub" / "shop.db");
    String outside = String::fromUTF8("../" + folder.filename().string() + "-x");
    String absolute = String::fromUTF8((folder / "shop").string());
    const String names[] = {outside, absolute, u"sub/shop", u"sub\\shop", u"./shop",
                            u"..",   u".shop", u"C:shop",   u"sh\nop",    u"/shop"};
    for (const String& name : names) {
        EXPECT_FALSE(LoginAction::isDatabaseName(name)) << name.toStdString();
        EXPECT_EQ(signIn(u"SYSTEM", u"secret", name), dbnameMessage()) << name.toStdString();
    }
    std::filesystem::remove(folder.parent_path() / (folder.filename().string() + "-x.db"));
    EXPECT_TRUE(LoginAction::isDatabaseName(u"shop"));
    EXPECT_TRUE(LoginAction::isDatabaseName(u"示例-2026_a.b"));
}

TEST_F(SignInTest, APlainTextPasswordSignsInOnceAndBecomesAHash)
{
    run(u"UPDATE zsysuser SET password = 'old-pass' WHERE userid = 'SYSTEM'");
    EXPECT_EQ(signIn(u"SYSTEM", u"old-pas"), WRONG_PASSWORD);
    EXPECT_EQ(text(u"SELECT password FROM zsysuser WHERE userid = 'SYSTEM'"), "old-pass");

    EXPECT_EQ(signIn(u"SYSTEM", u"old-pass"), "ok:");
    String stored = String::fromUTF8(text(u"SELECT password FROM zsysuser WHERE userid = 'SYSTEM'"));
    EXPECT_TRUE(PasswordHash::isHash(stored));
    EXPECT_EQ(stored.indexOf(u"old-pass"), -1);
    EXPECT_EQ(signIn(u"SYSTEM", u"old-pass"), "ok:");
    EXPECT_EQ(signIn(u"SYSTEM", u"old-pas"), WRONG_PASSWORD);
}

TEST_F(SignInTest, AFailedSignInKeepsTheDatabaseOfTheSignedInCompany)
{
    ASSERT_EQ(create(u"second"), u"");
    PageHarness first(u"Login", session, app);
    ASSERT_EQ(signIn(first, u"SYSTEM", u"secret", u"shop"), "ok:");
    EXPECT_EQ(signIn(u"SYSTEM", u"wrong", u"second"), WRONG_PASSWORD);
    EXPECT_EQ(openName(), "shop");
    EXPECT_EQ(signIn(u"SYSTEM", u"secret", u"nowhere"), dbnameMessage());
    EXPECT_EQ(openName(), "shop");
}

TEST_F(SignInTest, AFailedSignInLeavesNoDatabaseOpenAndNothingInTheSession)
{
    Ref<IDbSession> fresh = new SqliteSession(String::fromUTF8(folder.string()));
    for (const char16_t* userid : {u"SYSTEM", u"NOBODY"}) {
        PageHarness page(u"Login", fresh, app);
        EXPECT_EQ(signIn(page, userid, u"wrong"), WRONG_PASSWORD);
        EXPECT_FALSE(fresh->isOpen());
        tessel::HttpSession* visitor = page.request.findSession();
        tessel::Array<String> names;
        if (visitor)
            visitor->getAttributeNames(names);
        EXPECT_EQ(names.size(), 0);
    }
    PageHarness page(u"Login", fresh, app);
    EXPECT_EQ(signIn(page, u"SYSTEM", u"secret"), "ok:");
    EXPECT_TRUE(fresh->isOpen());
}

TEST_F(SignInTest, OverLongFieldsAreRefusedBeforeAnyWorkAndCountNoFailure)
{
    window.settings["signin.failures"] = u"1";
    EXPECT_EQ(signIn(String::fromUTF8(std::string(LoginAction::MAX_USERID + 1, 'A')), u"secret"), WRONG_PASSWORD);
    EXPECT_EQ(signIn(u"SYSTEM", String::fromUTF8(std::string(LoginAction::MAX_PASSWD + 1, 'x'))), WRONG_PASSWORD);
    EXPECT_EQ(signIn(u"SYSTEM", u"secret", String::fromUTF8(std::string(LoginAction::MAX_DBNAME + 1, 'd'))),
              dbnameMessage());
    EXPECT_EQ(signIn(u"SYSTEM", u"secret"), "ok:");
}

TEST_F(SignInTest, AfterTheAllowedFailuresEvenTheRightPasswordWaits)
{
    window.settings["signin.failures"] = u"2";
    EXPECT_EQ(signIn(u"SYSTEM", u"wrong"), WRONG_PASSWORD);
    EXPECT_EQ(signIn(u"SYSTEM", u"wrong"), WRONG_PASSWORD);
    std::string refused = signIn(u"SYSTEM", u"secret");
    EXPECT_NE(refused.find("以后再试（约 1 分钟）"), std::string::npos) << refused;
    // The address waits too, whatever database it names.
    EXPECT_EQ(signIn(u"SYSTEM", u"secret", u"nowhere").find("以后再试") != std::string::npos, true);
    SignInThrottle::instance().clear();
    EXPECT_EQ(signIn(u"SYSTEM", u"secret"), "ok:");
}

TEST_F(SignInTest, AHostThatOffersToCheckGetsTheHashAndAnswersOnTheSecondRun)
{
    String stored = String::fromUTF8(text(u"SELECT password FROM zsysuser WHERE userid = 'SYSTEM'"));
    const struct {
        const char16_t* userid;
        const char16_t* passwd;
        bool valid;
        const char* answer;
    } rows[] = {{u"SYSTEM", u"secret", true, "ok:"},
                {u"SYSTEM", u"wrong", false, WRONG_PASSWORD},
                {u"NOBODY", u"secret", false, WRONG_PASSWORD}};
    for (const auto& row : rows) {
        Ref<Value> offer = new Value();
        PageHarness first(u"Login", session, app);
        first.request.setAttribute(PasswordCheck::attributeName(), offer);
        EXPECT_EQ(signIn(first, row.userid, row.passwd), "") << String(row.userid).toStdString();
        EXPECT_EQ(companyOf(first), nullptr);
        // An unknown user's answer is asked for a hash no password matches.
        EXPECT_EQ(offer->getAt(u"hash"), String(row.userid) == u"SYSTEM" ? stored : PasswordHash::unmatchable());
        EXPECT_EQ(offer->getAt(u"password"), row.passwd);
        EXPECT_EQ(PasswordHash::matchesHash(offer->getAt(u"hash").toStdString(), String(row.passwd).toStdString()),
                  row.valid);

        offer->insert(u"valid", row.valid ? u"1" : u"0");
        PageHarness second(u"Login", session, app);
        second.request.setAttribute(PasswordCheck::attributeName(), offer);
        EXPECT_EQ(signIn(second, row.userid, row.passwd), row.answer);
    }
    // An answer given for another password asks again.
    Ref<Value> offer = new Value();
    offer->insert(u"hash", stored);
    offer->insert(u"password", u"secret");
    offer->insert(u"valid", u"1");
    PageHarness other(u"Login", session, app);
    other.request.setAttribute(PasswordCheck::attributeName(), offer);
    EXPECT_EQ(signIn(other, u"SYSTEM", u"guess"), "");
    EXPECT_EQ(offer->getAt(u"password"), u"guess");
    EXPECT_EQ(offer->find(u"valid"), nullptr);
}

TEST_F(SignInTest, AHashOfAnotherCostSignsInAndIsMadeAnewAtTheCurrentCost)
{
    // "secret" hashed at 64 MiB, the cost of an earlier version.
    run(u"UPDATE zsysuser SET password = '$argon2id$v=19$m=65536,t=2,p=1$Fq6o1hfEKXxq/LWSpL0xkA$"
        u"MSXmCNOMfk5hSjDrj2iUxE3aad5BgCwpxgh6kokb1TE' WHERE userid = 'SYSTEM'");
    EXPECT_EQ(signIn(u"SYSTEM", u"wrong"), WRONG_PASSWORD);
    EXPECT_EQ(signIn(u"SYSTEM", u"secret"), "ok:");
    String stored = String::fromUTF8(text(u"SELECT password FROM zsysuser WHERE userid = 'SYSTEM'"));
    EXPECT_TRUE(stored.startsWith(u"$argon2id$v=19$m=19456,t=2,p=1$")) << stored.toStdString();
    EXPECT_FALSE(PasswordHash::needsRehash(stored));
    EXPECT_EQ(signIn(u"SYSTEM", u"secret"), "ok:");
}

TEST_F(SignInTest, TheFormSuggestsTheLastDatabaseWhileItIsThereElseTheOnlyOne)
{
    window.settings["dbname"] = u"shop";
    window.settings["company"] = u"示例贸易有限公司";
    PageHarness form(u"Login", session, app);
    form.run({});
    EXPECT_EQ(form.at(u"dbname"), "shop");
    EXPECT_EQ(form.at(u"company"), "示例贸易有限公司");
    EXPECT_EQ(form.at(u"version"), std::to_string(Application::version()));
    EXPECT_EQ(form.at(u"messages.invalid"), WRONG_PASSWORD);
    EXPECT_EQ(form.at(u"databases.001"), "shop");

    // A database that is gone is not suggested, nor a path; the data
    // folder's only database is, without the company of another one.
    window.settings["dbname"] = u"gone";
    PageHarness gone(u"Login", session, app);
    gone.run({});
    EXPECT_EQ(gone.at(u"dbname"), "shop");
    EXPECT_EQ(gone.at(u"company"), "");

    window.settings["dbname"] = u"../shop";
    PageHarness path(u"Login", session, app);
    path.run({});
    EXPECT_EQ(path.at(u"dbname"), "shop");
}

// ------------------------------------------------------- the session tree

class SessionTreeTest : public SignInTest {
protected:
    Ref<Value> treeOf(UserState& state)
    {
        UserCheck check(session);
        return check.signIn(u"SYSTEM", u"secret", state);
    }
};

TEST_F(SessionTreeTest, SwitchesRememberedFormValuesDropDownsAndTheTaxFactor)
{
    UserState state;
    Ref<Value> tree = treeOf(state);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->getAt(u"taxrate"), u"1.17");
    EXPECT_DOUBLE_EQ(state.taxFactor(), 1.17);
    EXPECT_EQ(tree->getAt(u"sextype.1"), u"女");
    EXPECT_TRUE(tree->getAt(u"dropdowns").startsWith(u"Dropdowns['money'] = ['人民币', "));
    String path;
    for (int section = 1; section <= 9; section++)
        EXPECT_EQ(tree->getAt(path.format(u"notice.s%d", section)), u"1") << section;
    EXPECT_EQ(tree->find(u"notice")->size(), 9);
    EXPECT_EQ(tree->getAt(u"sales.s1"), u"1");
    EXPECT_EQ(tree->getAt(u"purchase.s1"), u"1");
    EXPECT_FALSE(tree->exists(u"backup"));

    // The factor is the visitor's own, read again at each sign-in.
    ASSERT_TRUE(SettingsTable(session).setText(2, 9, u"6.5"));
    tree = treeOf(state);
    EXPECT_EQ(tree->getAt(u"taxrate"), u"1.065");
    EXPECT_DOUBLE_EQ(state.taxFactor(), 1.065);
}

TEST_F(SessionTreeTest, NoticeTextsAsStoredAndTheBackupReminder)
{
    UserState state;
    Ref<Value> plain = treeOf(state);
    EXPECT_FALSE(plain->exists(u"other1"));
    EXPECT_FALSE(plain->exists(u"other2"));

    // Stored as typed: a text that happens to be valid Base64 stays itself.
    SettingsTable settings(session);
    ASSERT_TRUE(settings.saveLongText(8, u"QUJD"));
    ASSERT_TRUE(settings.saveLongText(9, u"周五盘点 <仓库>"));
    ASSERT_TRUE(settings.setTime(1, 9, 1309400000));
    ASSERT_TRUE(settings.setInt(3, 1, 1));
    Ref<Value> tree = treeOf(state);
    EXPECT_EQ(tree->getAt(u"other1"), u"QUJD");
    EXPECT_EQ(tree->getAt(u"other2"), u"周五盘点 <仓库>");
    EXPECT_EQ(tree->getAt(u"backup"), u"1");
    EXPECT_EQ(state.lastNoticeTime(), 1309400000);
}
