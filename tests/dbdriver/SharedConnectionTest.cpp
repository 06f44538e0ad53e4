#include "DbTestSupport.h"

#include "dbdriver/SqliteConnectionPool.h"

using tessel::Ref;
using tessel::String;

// Sessions of one database share its connections, and each keeps its own
// name, key, error and transaction; between beginReads and endReads the
// queries share one read transaction that no save waits for.
class SharedConnectionTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        ASSERT_TRUE(create(u"other"));
        ASSERT_TRUE(session->open(u"shop"));
        other = visitor();
    }

    Ref<SqliteSession> visitor()
    {
        Ref<SqliteSession> made = new SqliteSession(String::fromUTF8(folder.string()));
        EXPECT_TRUE(made->open(u"shop"));
        return made;
    }

    int connections()
    {
        String path;
        Ref<SqliteConnectionPool> pool;
        pool.adopt(SqliteConnectionPool::of(session->getFileName(path).toStdString()));
        return pool ? pool->size() : 0;
    }

    static int suppliers(IDbSession* reader) { return reader->queryInt(u"SELECT count(*) FROM zpsplyt", -1); }
    static bool addSupplier(IDbSession* writer, const char16_t* name)
    {
        return writer->execute(u"INSERT INTO zpsplyt(splnm) VALUES(?)", {String(name)});
    }

    Ref<SqliteSession> other;
};

TEST_F(SharedConnectionTest, ManyVisitorsOfADatabaseShareOneConnection)
{
    std::vector<Ref<SqliteSession>> visitors;
    for (int i = 0; i < 50; i++) {
        visitors.push_back(visitor());
        EXPECT_EQ(suppliers(visitors.back()), 0);
    }
    EXPECT_EQ(connections(), 1);
}

TEST_F(SharedConnectionTest, EachSessionKeepsItsOwnKeyErrorAndName)
{
    ASSERT_TRUE(addSupplier(session, u"甲"));
    ASSERT_TRUE(addSupplier(other, u"乙"));
    EXPECT_EQ(session->getSequence(u"zpsplyt_splid_seq"), 1);
    EXPECT_EQ(other->getSequence(u"zpsplyt_splid_seq"), 2);
    // Statements that insert nothing leave the key as it was.
    EXPECT_EQ(suppliers(session), 2);
    EXPECT_TRUE(session->execute(u"UPDATE zpsplyt SET splty = 1"));
    EXPECT_EQ(session->getSequence(u"zpsplyt_splid_seq"), 1);

    EXPECT_FALSE(addSupplier(other, u"甲")); // unique name
    String error;
    EXPECT_FALSE(other->getLastError(error).empty());
    EXPECT_TRUE(session->getLastError(error).empty());

    ASSERT_TRUE(other->open(u"other"));
    String name;
    EXPECT_EQ(utf8(session->getName(name)), "shop");
    EXPECT_EQ(utf8(other->getName(name)), "other");
    EXPECT_EQ(suppliers(other), 0);
}

TEST_F(SharedConnectionTest, AnOpenTransactionIsSeenByNoOtherSession)
{
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(transaction.isActive());
        ASSERT_TRUE(addSupplier(session, u"甲"));
        EXPECT_EQ(suppliers(other), 0);
        EXPECT_FALSE(other->inTransaction());
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(suppliers(other), 1);
    EXPECT_EQ(connections(), 2); // the most that were busy at once
}

TEST_F(SharedConnectionTest, ACursorKeepsItsConnectionFromOtherSessions)
{
    ASSERT_TRUE(addSupplier(session, u"甲"));
    ASSERT_TRUE(addSupplier(session, u"乙"));
    Ref<IDbCursor> rows = cursor(u"SELECT splnm FROM zpsplyt ORDER BY splid");
    ASSERT_TRUE(rows && rows->next());
    ASSERT_TRUE(addSupplier(other, u"丙"));
    ASSERT_TRUE(rows->next());
    String name;
    EXPECT_EQ(utf8(rows->getStringAt(name, 0)), "乙");
}

TEST_F(SharedConnectionTest, ReadsOfARequestSeeOneStateAndASaveOfAnotherVisitorGoesThrough)
{
    session->beginReads();
    EXPECT_EQ(suppliers(session), 0);
    EXPECT_FALSE(session->inTransaction());
    {
        DbTransaction transaction(other);
        ASSERT_TRUE(transaction.isActive());
        ASSERT_TRUE(addSupplier(other, u"甲"));
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(suppliers(session), 0);
    session->endReads();
    EXPECT_EQ(suppliers(session), 1);
}

// A save inside a request that began reading commits as it would without
// the reads: at once, seen by others, and the reads go on after it.
TEST_F(SharedConnectionTest, ASaveAmongReadsCommitsAtOnce)
{
    ASSERT_TRUE(addSupplier(other, u"甲"));
    session->beginReads();
    EXPECT_EQ(suppliers(session), 1);
    ASSERT_TRUE(addSupplier(other, u"乙")); // after this request's reads began
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(transaction.isActive());
        EXPECT_EQ(suppliers(session), 2); // the save reads the latest state
        ASSERT_TRUE(addSupplier(session, u"丙"));
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(suppliers(other), 3);
    EXPECT_EQ(suppliers(session), 3);
    ASSERT_TRUE(addSupplier(session, u"丁")); // a change outside a transaction
    EXPECT_EQ(suppliers(other), 4);
    {
        DbTransaction abandoned(session);
        ASSERT_TRUE(addSupplier(session, u"戊"));
    }
    EXPECT_EQ(suppliers(session), 4);
    EXPECT_EQ(suppliers(other), 4);
    session->endReads();
    EXPECT_FALSE(session->inTransaction());
    EXPECT_EQ(connections(), 2);
}

TEST_F(SharedConnectionTest, ReadsLetTheDatabaseBeSwitchedAndCopied)
{
    session->beginReads();
    EXPECT_EQ(suppliers(session), 0);
    EXPECT_TRUE(session->backupTo(String::fromUTF8((folder / "copy.db").string())));
    EXPECT_EQ(suppliers(session), 0);
    ASSERT_TRUE(session->open(u"other"));
    ASSERT_TRUE(addSupplier(session, u"甲"));
    EXPECT_EQ(suppliers(session), 1);
    session->endReads();
    // Nothing of the reads is left holding the first database.
    DbTransaction transaction(other);
    EXPECT_TRUE(transaction.isActive());
}
