#include <fstream>

#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// A database is named by a bare name inside the data folder, never by a path.
class NameTest : public DbTest {};

TEST_F(NameTest, BareNamesAreAccepted)
{
    EXPECT_TRUE(SqliteSession::isBareName(u"shop"));
    EXPECT_TRUE(SqliteSession::isBareName(u"公司 2011"));
    EXPECT_TRUE(SqliteSession::isBareName(u"a.b"));
}

TEST_F(NameTest, PathsAndOddNamesAreRefused)
{
    for (const char16_t* name : {u"", u"..", u"../x", u"/x", u"a/b", u"a\\b", u"..\\x", u".hidden", u"a..b",
                                 u"c:x", u"a\nb", u"a\tb"})
        EXPECT_FALSE(SqliteSession::isBareName(name)) << utf8(name);
    String longName;
    for (int i = 0; i <= SqliteSession::MAX_NAME; i++)
        longName += u"x";
    EXPECT_FALSE(SqliteSession::isBareName(longName));
}

TEST_F(NameTest, ExistsAndOpenDoNotReachOutsideTheFolder)
{
    // A real database beside the data folder, reachable only by a path.
    std::filesystem::create_directory(folder / "data");
    Ref<SqliteSession> inner = new SqliteSession(String::fromUTF8((folder / "data").string()));
    ASSERT_TRUE(create(u"outside"));
    ASSERT_TRUE(fileExists("outside.db"));

    EXPECT_FALSE(inner->exists(u"../outside"));
    EXPECT_FALSE(inner->open(u"../outside"));
    EXPECT_FALSE(inner->isOpen());
    EXPECT_FALSE(inner->exists(String::fromUTF8((folder / "outside").string())));
    EXPECT_FALSE(inner->open(String::fromUTF8((folder / "outside").string())));
    EXPECT_FALSE(inner->isOpen());
}

TEST_F(NameTest, OpenOfAMissingNameFailsAndCreatesNoFile)
{
    EXPECT_FALSE(session->exists(u"missing"));
    EXPECT_FALSE(session->open(u"missing"));
    EXPECT_FALSE(session->isOpen());
    EXPECT_FALSE(lastError().empty());
    EXPECT_EQ(fileCount(), 0);
}

TEST_F(NameTest, CreateRefusesAPath)
{
    Ref<IDbAdmin> admin;
    ASSERT_TRUE(session->getAdmin(admin.out()));
    EXPECT_FALSE(admin->createTables(loadSample(u"../escaped"), true));
    EXPECT_FALSE(admin->createTables(loadSample(u"a/b"), true));
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "escaped.db"));
    EXPECT_EQ(fileCount(), 0);
}
