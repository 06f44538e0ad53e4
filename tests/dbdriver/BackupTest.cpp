#include <fstream>
#include <vector>

#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// Backups through SQLite's backup API: a consistent copy that opens.
class BackupTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('甲')"));
        std::filesystem::create_directory(folder / "backup");
    }
    String target(const char* name) { return String::fromUTF8((folder / "backup" / name).string()); }
};

TEST_F(BackupTest, TheCopyOpensWithTheCommittedRows)
{
    ASSERT_TRUE(session->backupTo(target("shop.20110630.1405.db"))) << utf8(lastError());
    // Only the copy itself is left in the folder: no temporary, no journal.
    std::vector<std::string> files;
    for (auto& entry : std::filesystem::directory_iterator(folder / "backup"))
        files.push_back(entry.path().filename().string());
    EXPECT_EQ(files, std::vector<std::string>{"shop.20110630.1405.db"});

    Ref<SqliteSession> copy = new SqliteSession(String::fromUTF8((folder / "backup").string()));
    ASSERT_TRUE(copy->open(u"shop.20110630.1405"));
    String name;
    EXPECT_EQ(utf8(copy->queryString(name, u"SELECT splnm FROM zpsplyt")), "甲");
    EXPECT_EQ(copy->queryInt(u"SELECT count(*) FROM zsysconf"), 2);

    // A file in the way is replaced.
    std::ofstream(folder / "backup" / "old.db") << "old";
    ASSERT_TRUE(session->backupTo(target("old.db")));
    ASSERT_TRUE(copy->open(u"old"));
    EXPECT_EQ(copy->queryInt(u"SELECT count(*) FROM zpsplyt"), 1);
}

TEST_F(BackupTest, RefusedInsideATransactionOntoItselfAndIntoAMissingFolder)
{
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('uncommitted')"));
        EXPECT_FALSE(session->backupTo(target("during.db")));
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "backup" / "during.db"));
    String own;
    EXPECT_FALSE(session->backupTo(session->getFileName(own)));
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt"), 1);
    EXPECT_FALSE(session->backupTo(String::fromUTF8((folder / "nosuch" / "x.db").string())));
    EXPECT_FALSE(lastError().empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "nosuch"));
}
