#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// Single statements: counts, keys, escaping, and the one-statement rule.
class StatementTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
    }
};

TEST_F(StatementTest, ExecuteCountGivesTheRowsChangedByThatStatementOnly)
{
    // SQLite keeps the count of the last change; it must not leak into the
    // count of a later statement that is no change at all.
    const struct {
        const char16_t* sql;
        bool done;
        int affected;
    } cases[] = {
        {u"UPDATE zsysconf SET svalue = 'x' WHERE classid = 2 AND nameid = 1", true, 1},
        {u"UPDATE zsysconf SET svalue = 'x' WHERE classid = 9", true, 0},
        {u"DELETE FROM zsysconf WHERE classid = 1", true, 1},
        {u"SELECT * FROM zsysconf", true, 0},
        {u"CREATE TABLE extra(a INTEGER)", true, 0},
        {u"UPDATE nosuch SET a = 1", false, 0},
    };
    for (const auto& c : cases) {
        int affected = -1;
        EXPECT_EQ(session->executeCount(c.sql, &affected), c.done) << utf8(c.sql);
        EXPECT_EQ(affected, c.affected) << utf8(c.sql);
    }
    EXPECT_NE(utf8(lastError()).find("nosuch"), std::string::npos);
}

TEST_F(StatementTest, GetSequenceGivesTheKeyOfTheRowJustInsertedNeverAnOldOne)
{
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('a')"));
    EXPECT_EQ(session->getSequence(u"zpsplyt_splid_seq"), 1);
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('b')"));
    int second = session->getSequence(u"zpsplyt_splid_seq");
    EXPECT_EQ(second, 2);
    EXPECT_EQ(session->queryInt(u"SELECT splid FROM zpsplyt WHERE splnm = 'b'"), second);
    // The key of a deleted row is not given again.
    ASSERT_TRUE(session->execute(u"DELETE FROM zpsplyt WHERE splid = 2"));
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('c')"));
    EXPECT_EQ(session->getSequence(u"zpsplyt_splid_seq"), 3);
}

TEST_F(StatementTest, EscapeDoublesQuotesAndTwoEscapesFeedOneFormat)
{
    EXPECT_EQ(utf8(session->escape(u"O'Neil's")), "O''Neil''s");
    EXPECT_EQ(utf8(session->escape(u"")), "");
    String name(u"it's"), remark(u"'; DROP TABLE zpsplyt; --");
    String sql;
    sql.format(u"INSERT INTO zpsplyt(splnm, rmrks) VALUES('%s', '%s')", session->escape(name).c_str(),
               session->escape(remark).c_str());
    ASSERT_TRUE(session->execute(sql)) << utf8(lastError());
    Ref<IDbCursor> rows = cursor(u"SELECT splnm, rmrks FROM zpsplyt");
    ASSERT_TRUE(rows && rows->next());
    String text;
    EXPECT_EQ(utf8(rows->getStringAt(text, 0)), "it's");
    EXPECT_EQ(utf8(rows->getStringAt(text, 1)), "'; DROP TABLE zpsplyt; --");
}

TEST_F(StatementTest, ASecondStatementIsRefusedAndNothingRuns)
{
    EXPECT_FALSE(session->execute(u"UPDATE zsysconf SET svalue = 'x'; DROP TABLE zpsplyt"));
    EXPECT_FALSE(lastError().empty());
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zsysconf WHERE svalue = 'x'"), 0);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt", -1), 0);

    EXPECT_TRUE(cursor(u"SELECT 1; SELECT 2").empty());
    EXPECT_EQ(session->queryInt(u"SELECT 1; DELETE FROM zsysconf", 7), 7);
    int affected = -1;
    EXPECT_FALSE(session->executeCount(u"DELETE FROM zsysconf WHERE classid = 1;; DELETE FROM zsysconf", &affected));
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zsysconf"), 2);
}

TEST_F(StatementTest, TrailingSemicolonsBlanksAndCommentsAreAcceptedButNoEmptySql)
{
    const struct {
        const char16_t* sql;
        int value;
    } cases[] = {{u"SELECT 3;", 3}, {u"SELECT 4 ;\n  ; ", 4}, {u"SELECT 5; -- five", 5}, {u"SELECT 6; /* six */", 6}};
    for (const auto& c : cases)
        EXPECT_EQ(session->queryInt(c.sql), c.value) << utf8(c.sql);
    EXPECT_FALSE(session->execute(u""));
    EXPECT_FALSE(session->execute(u"  ;  "));
    EXPECT_TRUE(cursor(u"").empty());
}

TEST_F(StatementTest, ManyDifferentStatementsRunThroughTheBoundedCache)
{
    for (int i = 0; i < 3 * SqliteConnection::CACHE_SIZE; i++) {
        String sql;
        sql.format(u"SELECT %d + count(*) FROM zsysconf", i);
        ASSERT_EQ(session->queryInt(sql, -1), i + 2);
    }
    EXPECT_EQ(session->queryInt(u"SELECT 0 + count(*) FROM zsysconf", -1), 2);
}
