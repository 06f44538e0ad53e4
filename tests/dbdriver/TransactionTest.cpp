#include "DbTestSupport.h"

using tessel::String;

// DbTransaction: commit keeps the work, anything else abandons it.
class TransactionTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
    }
    int suppliers() { return session->queryInt(u"SELECT count(*) FROM zpsplyt", -1); }
};

TEST_F(TransactionTest, DestructionWithoutCommitRollsBackEvenAfterAFailedStatement)
{
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('a')"));
        EXPECT_EQ(suppliers(), 1);
        EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('a')")); // unique name
    }
    EXPECT_EQ(suppliers(), 0);
    EXPECT_FALSE(session->inTransaction());
}

TEST_F(TransactionTest, NestingIsRefused)
{
    DbTransaction outer(session);
    ASSERT_TRUE(outer.isActive());
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('a')"));
    {
        DbTransaction inner(session);
        EXPECT_FALSE(inner.isActive());
        EXPECT_FALSE(inner.commit());
    }
    // The inner object's end neither committed nor rolled back the outer work.
    EXPECT_TRUE(session->inTransaction());
    EXPECT_TRUE(outer.commit());
    EXPECT_EQ(suppliers(), 1);
}

TEST_F(TransactionTest, WorkAfterTheDatabaseAbandonedTheTransactionIsRefused)
{
    // As after a full disk: the database rolls back by itself. What follows
    // must not be committed statement by statement.
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('a')"));
        ASSERT_TRUE(session->execute(u"ROLLBACK"));
        EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('b')"));
        EXPECT_FALSE(transaction.commit());
    }
    EXPECT_EQ(suppliers(), 0);
    EXPECT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('c')"));
    EXPECT_EQ(suppliers(), 1);
}

TEST_F(TransactionTest, NoSwitchOfDatabaseInsideATransaction)
{
    ASSERT_TRUE(create(u"other"));
    DbTransaction transaction(session);
    EXPECT_FALSE(session->open(u"shop"));
    EXPECT_FALSE(create(u"third"));
    String name;
    EXPECT_EQ(utf8(session->getName(name)), "other");
}
