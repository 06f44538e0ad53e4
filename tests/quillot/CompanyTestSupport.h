#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dbdriver/dbdriver.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/PageAction.h"
#include "quillot/frame/PageRegistry.h"
#include "support/ActionBinding.h"
#include "support/TempFolder.h"
#include "tessel/tessel.h"

// A fresh data folder per test with a session over it, a copy of the
// application folder app/ as the host roots it, and a company database
// "shop" created from the application's schema file.
class CompanyTest : public ::testing::Test {
public:
    // A copy of the source tree's app/ at `target`. The framework holds a
    // file it reads for itself alone, so test programs running side by
    // side must not read the same files.
    static std::filesystem::path copyOfApp(const std::filesystem::path& target)
    {
        std::filesystem::copy(TEST_SOURCE_DIR "/app", target, std::filesystem::copy_options::recursive);
        return target;
    }

protected:
    void SetUp() override
    {
        ASSERT_FALSE(temp.path().empty());
        folder = temp.path();
        session = new SqliteSession(tessel::String::fromUTF8(folder.string()));
        app = new tessel::VirtualFileSystem(tessel::String::fromUTF8(copyOfApp(folder / "app").string()));
        ASSERT_EQ(create(u"shop"), u"");
    }

    void TearDown() override
    {
        session.reset();
        tessel::HttpSession::gc(true);
    }

    // The error key of creating a database (empty on success).
    tessel::String create(const tessel::String& name, bool demo = false)
    {
        return CompanyDatabase::create(session, app, name, u"示例贸易有限公司", u"secret", demo, NOW);
    }

    bool run(const tessel::String& sql)
    {
        bool done = session->execute(sql);
        EXPECT_TRUE(done) << sql.toStdString() << ": " << lastError();
        return done;
    }
    int count(const tessel::String& sql) { return session->queryInt(sql, -1); }
    std::string text(const tessel::String& sql)
    {
        tessel::String out;
        return session->queryString(out, sql).toStdString();
    }
    std::string lastError()
    {
        tessel::String error;
        return session->getLastError(error).toStdString();
    }

    // 2011-06-30 14:05:00 in the tests' time zone (Asia/Shanghai).
    static constexpr int64_t NOW = 1309413900;

    tessel::testing::TempFolder temp;
    std::filesystem::path folder;
    tessel::Ref<SqliteSession> session;
    tessel::Ref<tessel::VirtualFileSystem> app;
};

// A page action bound as the host binds it (ActionBinding) to a context
// over app/ and the database session.
class PageHarness : public tessel::testing::ActionBinding {
public:
    PageHarness(const tessel::String& page, IDbSession* db, tessel::IFileSystem* app)
        : context(new tessel::HttpContext()), action(PageRegistry::create(page))
    {
        context->initialize(app);
        bind(*action, context, page);
        action->setDbSession(db);
    }

    // Runs the action with FORM values (and, for `post`, the same values
    // under POST) and gives what it answered.
    std::string run(Fields fields, bool post = false)
    {
        send(*action, fields, post);
        action->execute();
        return written();
    }

    std::string at(const char16_t* path) { return action->getValue()->getAt(path).toStdString(); }
    // What the page answers for an error key: its text in app/message.ini.
    std::string message(const char16_t* key) { return action->getMessage(key).toStdString(); }

    tessel::Ref<tessel::HttpContext> context;
    tessel::Ref<PageAction> action;
};
