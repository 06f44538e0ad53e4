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
};

TEST_F(CommandTest, LimitAndOffsetSelectOnePageInTheSqlsOwnOrder)
{
    const char16_t* const byId = u"SELECT splid FROM zpsplyt ORDER BY splid";
    const struct {
        const char16_t* sql;
        int limit, offset;
        std::vector<int> ids; // {-1}: no cursor
    } cases[] = {
        {byId, 10, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {byId, 10, 20, {21, 22, 23, 24, 25}},
        {byId, 10, 30, {}},
        {byId, 0, 24, {25}}, // limit 0: all rows
        {u"SELECT splid FROM zpsplyt ORDER BY splid;", 2, 2, {3, 4}},
        {u"SELECT splid FROM zpsplyt ORDER BY splid LIMIT 4", 10, 2, {3, 4}},
        {u"SELECT nosuch FROM zpsplyt", 10, 0, {-1}},
        {u"SELECT 1; DELETE FROM zpsplyt", 10, 0, {-1}},
    };
    auto page = [this](const char16_t* sql, int limit, int offset) {
        Ref<IDbCommand> command;
        EXPECT_TRUE(session->createCommand(command.out()));
        command->setLimit(limit);
        command->setOffset(offset);
        command->setSql(sql);
        Ref<IDbCursor> rows;
        if (!command->executeQuery(rows.out()))
            return std::vector<int>{-1};
        std::vector<int> ids;
        while (rows->next())
            ids.push_back(rows->getIntAt(0));
        return ids;
    };
    for (const auto& c : cases)
        EXPECT_EQ(page(c.sql, c.limit, c.offset), c.ids) << utf8(c.sql) << " " << c.limit << " " << c.offset;
    EXPECT_EQ(page(u"SELECT splid FROM zpsplyt", 0, 0).size(), 25u);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt"), 25);
}
