#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// A database is named by a bare name inside the data folder, never by a path.
class NameTest : public DbTest {};

TEST_F(NameTest, OnlyBareNamesAreNames)
{
    const struct {
        const char16_t* name;
        bool bare;
    } cases[] = {{u"shop", true},     {u"公司 2011", true}, {u"a.b", true},  {u"", false},     {u"..", false},
                 {u"../x", false},    {u"/x", false},       {u"a/b", false}, {u"a\\b", false}, {u"..\\x", false},
                 {u".hidden", false}, {u"a..b", false},     {u"c:x", false}, {u"a\nb", false}, {u"a\tb", false}};
    for (const auto& c : cases)
        EXPECT_EQ(SqliteSession::isBareName(c.name), c.bare) << utf8(c.name);
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
    for (const String& path : {String(u"../outside"), String::fromUTF8((folder / "outside").string())}) {
        EXPECT_FALSE(inner->exists(path)) << utf8(path);
        EXPECT_FALSE(inner->open(path)) << utf8(path);
        EXPECT_FALSE(inner->isOpen());
    }
}

TEST_F(NameTest, NeitherOpenOfAMissingNameNorCreateOfAPathMakesAFile)
{
    EXPECT_FALSE(session->exists(u"missing"));
    EXPECT_FALSE(session->open(u"missing"));
    EXPECT_FALSE(session->isOpen());
    EXPECT_FALSE(lastError().empty());
    EXPECT_EQ(fileCount(), 0);

    Ref<IDbAdmin> admin;
    ASSERT_TRUE(session->getAdmin(admin.out()));
    EXPECT_FALSE(admin->createTables(loadSample(u"../escaped"), true));
    EXPECT_FALSE(admin->createTables(loadSample(u"a/b"), true));
    EXPECT_FALSE(std::filesystem::exists(folder.parent_path() / "escaped.db"));
    EXPECT_EQ(fileCount(), 0);
}
