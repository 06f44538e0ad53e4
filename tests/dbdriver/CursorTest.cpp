#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

// Reading rows: cursors, fetchRow, NULL against empty text, decimals.
class CursorTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        ASSERT_TRUE(session->execute(u"INSERT INTO zpordrd(ordid, linnm, prdnm, qunty, itmpr, plndt) "
                                     u"VALUES('PO1', 1, '螺丝', 5.0000, 2.5, '2011-06-30')"));
        ASSERT_TRUE(session->execute(u"INSERT INTO zpordrd(ordid, linnm, prdnm, qunty, itmpr, plndt) "
                                     u"VALUES('PO1', 2, '', 3, 1, NULL)"));
    }
};

TEST_F(CursorTest, WalksRowsForwardAndReadsColumnsByNameAndIndex)
{
    Ref<IDbCursor> rows = cursor(u"SELECT linnm, prdnm, qunty FROM zpordrd ORDER BY linnm");
    ASSERT_TRUE(rows);
    EXPECT_EQ(rows->columnCount(), 3);
    EXPECT_EQ(rows->getColumnIndex(u"PRDNM"), 1);
    EXPECT_LT(rows->getColumnIndex(u"nosuch"), 0);
    // Nothing before the first row.
    String text(u"stale");
    EXPECT_TRUE(rows->getStringAt(text, 0).empty());
    EXPECT_EQ(rows->getIntAt(0), 0);
    Ref<Value> none = new Value();
    EXPECT_FALSE(rows->fetchRow(none));

    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->getIntAt(0), 1);
    EXPECT_EQ(utf8(rows->getString(text, u"prdnm")), "螺丝");
    EXPECT_DOUBLE_EQ(rows->getDouble(u"qunty"), 5.0);
    EXPECT_EQ(rows->getInt(u"nosuch"), 0);
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->getInt(u"linnm"), 2);
    EXPECT_FALSE(rows->next());
    EXPECT_FALSE(rows->next());
    EXPECT_EQ(rows->getIntAt(0), 0);
    EXPECT_EQ(utf8(rows->getColumnName(text, 2)), "qunty");
}

TEST_F(CursorTest, FetchRowCopiesEveryColumnAndNullIsToldApartFromEmptyText)
{
    Ref<Value> row = new Value();
    row->insert(u"plndt", u"stale");
    Ref<IDbCursor> rows = cursor(u"SELECT ordid, prdnm, plndt, qunty * itmpr AS pramt, 1.5 AS 'a.b' "
                                 u"FROM zpordrd WHERE linnm = 2");
    ASSERT_TRUE(rows && rows->next());
    ASSERT_TRUE(rows->fetchRow(row));
    EXPECT_EQ(utf8(row->getAt(u"ordid")), "PO1");
    EXPECT_TRUE(row->exists(u"prdnm"));
    EXPECT_EQ(utf8(row->getAt(u"plndt")), "");
    EXPECT_DOUBLE_EQ(row->getDouble(u"pramt"), 3.0);
    // A dotted column name is not taken for a path.
    EXPECT_EQ(utf8(row->getAt(u"a_b")), "1.5");
    EXPECT_FALSE(row->exists(u"a"));

    // The cursor itself tells NULL from empty text.
    EXPECT_FALSE(rows->isNull(1));
    EXPECT_TRUE(rows->isNull(2));
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpordrd WHERE plndt IS NULL"), 1);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpordrd WHERE prdnm = ''"), 1);
    String text;
    EXPECT_EQ(utf8(session->queryString(text, u"SELECT plndt FROM zpordrd WHERE linnm = 2", u"none")), "none");
}

TEST_F(CursorTest, DecimalColumnsStayRealAndDefaultToZero)
{
    // Written as "5.0000" and "3", read back as reals: divisions stay exact.
    String type;
    EXPECT_EQ(utf8(session->queryString(type, u"SELECT typeof(qunty) FROM zpordrd WHERE linnm = 1")), "real");
    EXPECT_EQ(utf8(session->queryString(type, u"SELECT typeof(qunty) FROM zpordrd WHERE linnm = 2")), "real");
    EXPECT_DOUBLE_EQ(session->queryDouble(u"SELECT qunty / 2 FROM zpordrd WHERE linnm = 1"), 2.5);
    EXPECT_DOUBLE_EQ(session->queryDouble(u"SELECT qunty / 2 FROM zpordrd WHERE linnm = 2"), 1.5);
    EXPECT_DOUBLE_EQ(session->queryDouble(u"SELECT sum(qunty * itmpr) FROM zpordrd"), 15.5);

    // Left out, numbers are a real zero and texts empty; dates stay null.
    ASSERT_TRUE(session->execute(u"INSERT INTO zpordrd(ordid, linnm) VALUES('PO2', 1)"));
    Ref<IDbCursor> rows = cursor(u"SELECT prdnm, qunty, typeof(qunty), plndt FROM zpordrd WHERE ordid = 'PO2'");
    ASSERT_TRUE(rows && rows->next());
    EXPECT_FALSE(rows->isNull(0));
    EXPECT_DOUBLE_EQ(rows->getDoubleAt(1), 0.0);
    EXPECT_EQ(utf8(rows->getStringAt(type, 2)), "real");
    EXPECT_TRUE(rows->isNull(3));
}

TEST_F(CursorTest, TwoCursorsOverTheSameSqlRunSideBySide)
{
    const char16_t* sql = u"SELECT linnm FROM zpordrd ORDER BY linnm";
    Ref<IDbCursor> outer = cursor(sql);
    ASSERT_TRUE(outer && outer->next());
    Ref<IDbCursor> inner = cursor(sql);
    ASSERT_TRUE(inner && inner->next() && inner->next());
    EXPECT_EQ(inner->getIntAt(0), 2);
    EXPECT_EQ(outer->getIntAt(0), 1);
    ASSERT_TRUE(outer->next());
    EXPECT_EQ(outer->getIntAt(0), 2);
    // A statement that is not a query gives no cursor and does not run.
    EXPECT_TRUE(cursor(u"DELETE FROM zpordrd").empty());
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpordrd"), 2);
}

TEST_F(CursorTest, ACursorOutlivesASwitchToAnotherDatabase)
{
    Ref<IDbCursor> rows = cursor(u"SELECT linnm FROM zpordrd ORDER BY linnm");
    ASSERT_TRUE(rows && rows->next());
    ASSERT_TRUE(create(u"other"));
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->getIntAt(0), 2);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpordrd", -1), 0);
}
