#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// Loading datasets into the open database.
class LoadTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        ASSERT_TRUE(session->getAdmin(admin.out()));
    }
    int count(const char16_t* table) { return session->queryInt(String(u"SELECT count(*) FROM ") + table, -1); }
    Ref<IDbAdmin> admin;
};

TEST_F(LoadTest, AnUnknownOrSqlitesOwnTableOrAnUnknownColumnIsRefusedWithNoRowKept)
{
    Ref<DbDataset> table = new DbDataset(u"nosuch");
    table->addRow().set(u"a", u"1");
    EXPECT_FALSE(admin->loadDataset(table, false));
    EXPECT_NE(utf8(lastError()).find("nosuch"), std::string::npos);

    Ref<DbDataset> column = new DbDataset(u"zpsplyt");
    column->addRow().set(u"splnm", u"good");
    column->addRow().set(u"nosuch", u"1");
    EXPECT_FALSE(admin->loadDataset(column, true));
    EXPECT_NE(utf8(lastError()).find("nosuch"), std::string::npos);
    EXPECT_EQ(count(u"zpsplyt"), 0);

    Ref<DbDataset> schema = new DbDataset(u"sqlite_schema"); // SQLite's own
    schema->addRow().set(u"name", u"x");
    EXPECT_FALSE(admin->loadDataset(schema, true));
    EXPECT_EQ(count(u"zsysconf"), 2);
}

TEST_F(LoadTest, ALoadBelongsToTheCallersTransaction)
{
    Ref<DbDataset> clash = new DbDataset(u"zpsplyt");
    clash->addRow().set(u"splnm", u"x");
    clash->addRow().set(u"splnm", u"x"); // the name is unique
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('before')"));
        EXPECT_FALSE(admin->loadDataset(clash, false)); // fails, and keeps the earlier work
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(count(u"zpsplyt"), 1);
    {
        DbTransaction transaction(session);
        Ref<DbDataset> rows = new DbDataset(u"zpsplyt");
        rows->addRow().set(u"splnm", u"x");
        ASSERT_TRUE(admin->loadDataset(rows, true));
    }
    // Undone with the transaction: the replaced row is back, the loaded one gone.
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt WHERE splnm = 'before'"), 1);
    EXPECT_EQ(count(u"zpsplyt"), 1);
}
