#include <vector>

#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// Paged queries: offset and limit over the SQL's own order.
class CommandTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        DbTransaction transaction(session);
        for (int i = 1; i <= 25; i++) {
            String sql;
            sql.format(u"INSERT INTO zpsplyt(splnm, splty) VALUES('s%d', %d)", i, i % 3);
            ASSERT_TRUE(session->execute(sql));
        }
        ASSERT_TRUE(transaction.commit());
    }

    std::vector<int> page(const char16_t* sql, int limit, int offset)
    {
        Ref<IDbCommand> command;
        EXPECT_TRUE(session->createCommand(command.out()));
        command->setLimit(limit);
        command->setOffset(offset);
        command->setSql(sql);
        Ref<IDbCursor> rows;
        std::vector<int> ids;
        if (!command->executeQuery(rows.out()))
            return {-1};
        while (rows->next())
            ids.push_back(rows->getIntAt(0));
        return ids;
    }
};

TEST_F(CommandTest, LimitAndOffsetSelectOnePage)
{
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid", 10, 0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid", 10, 20), (std::vector<int>{21, 22, 23, 24, 25}));
    EXPECT_TRUE(page(u"SELECT splid FROM zpsplyt ORDER BY splid", 10, 30).empty());
}

TEST_F(CommandTest, LimitZeroMeansAllRows)
{
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt", 0, 0).size(), 25u);
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid", 0, 24), (std::vector<int>{25}));
}

TEST_F(CommandTest, RowsComeInTheSqlsOwnOrder)
{
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid DESC", 3, 1), (std::vector<int>{24, 23, 22}));
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt WHERE splty = 0 ORDER BY splnm", 3, 0), (std::vector<int>{12, 15, 18}));
}

TEST_F(CommandTest, SqlWithItsOwnSemicolonOrLimitStillPages)
{
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid;", 2, 2), (std::vector<int>{3, 4}));
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt ORDER BY splid LIMIT 4", 10, 2), (std::vector<int>{3, 4}));
}

TEST_F(CommandTest, ABadQueryGivesNoCursor)
{
    EXPECT_EQ(page(u"SELECT nosuch FROM zpsplyt", 10, 0), (std::vector<int>{-1}));
    EXPECT_EQ(page(u"SELECT 1; DELETE FROM zpsplyt", 10, 0), (std::vector<int>{-1}));
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt"), 25);
}
