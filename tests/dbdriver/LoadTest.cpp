#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

// Loading datasets into the open database and writing tables out as XML.
class LoadTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
        ASSERT_TRUE(session->getAdmin(admin.out()));
    }
    int count(const char16_t* table)
    {
        return session->queryInt(String(u"SELECT count(*) FROM ") + table, -1);
    }
    Ref<IDbAdmin> admin;
};

TEST_F(LoadTest, RowsAreAddedOrReplaceTheTable)
{
    Ref<DbDataset> rows = new DbDataset(u"zsysconf");
    DbRow& row = rows->addRow();
    row.set(u"classid", u"6");
    row.set(u"nameid", u"1");
    row.set(u"svalue", u"clause");
    ASSERT_TRUE(admin->loadDataset(rows, false)) << utf8(lastError());
    EXPECT_EQ(count(u"zsysconf"), 3);
    ASSERT_TRUE(admin->loadDataset(rows, true));
    EXPECT_EQ(count(u"zsysconf"), 1);
}

TEST_F(LoadTest, AnUnknownTableOrColumnIsRefusedWithNoRowKept)
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
    EXPECT_EQ(count(u"zsysconf"), 2);
}

TEST_F(LoadTest, SqlitesOwnTablesAreNotLoaded)
{
    Ref<DbDataset> schema = new DbDataset(u"sqlite_schema");
    schema->addRow().set(u"name", u"x");
    EXPECT_FALSE(admin->loadDataset(schema, true));
    EXPECT_EQ(count(u"zsysconf"), 2);
}

TEST_F(LoadTest, AFailedLoadInsideATransactionKeepsTheEarlierWork)
{
    DbTransaction transaction(session);
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('before')"));
    Ref<DbDataset> clash = new DbDataset(u"zpsplyt");
    clash->addRow().set(u"splnm", u"x");
    clash->addRow().set(u"splnm", u"x"); // the name is unique
    EXPECT_FALSE(admin->loadDataset(clash, false));
    ASSERT_TRUE(transaction.commit());
    EXPECT_EQ(count(u"zpsplyt"), 1);
}

TEST_F(LoadTest, ALoadIsUndoneWithTheCallersTransaction)
{
    {
        DbTransaction transaction(session);
        Ref<DbDataset> rows = new DbDataset(u"zpsplyt");
        rows->addRow().set(u"splnm", u"x");
        ASSERT_TRUE(admin->loadDataset(rows, true));
    }
    EXPECT_EQ(count(u"zpsplyt"), 0);
}

TEST_F(LoadTest, ValuesTakeTheColumnsType)
{
    Ref<DbDataset> rows = new DbDataset(u"zpordrd");
    DbRow& row = rows->addRow();
    row.set(u"ordid", u"007");
    row.set(u"linnm", u"1");
    row.set(u"prdnm", u"12");
    row.set(u"qunty", u"5.0000");
    row.setNull(u"plndt");
    ASSERT_TRUE(admin->loadDataset(rows, true));
    String type;
    EXPECT_EQ(utf8(session->queryString(type, u"SELECT typeof(ordid) || typeof(linnm) || typeof(prdnm) || "
                                              u"typeof(qunty) || typeof(itmpr) || typeof(plndt) FROM zpordrd")),
              "textintegertextrealrealnull");
    EXPECT_EQ(utf8(session->queryString(type, u"SELECT ordid FROM zpordrd")), "007");
}

TEST_F(LoadTest, ExportWritesEveryColumnWithNullsApart)
{
    ASSERT_TRUE(session->execute(u"INSERT INTO zpordrd(ordid, linnm, prdnm, qunty, itmpr, plndt) "
                                 u"VALUES('a\"b', 1, 'x<y&z>', 0.5, -2, NULL)"));
    String xml;
    ASSERT_TRUE(admin->exportTable(u"zpordrd", xml));
    EXPECT_EQ(utf8(xml), "<dataset table=\"zpordrd\">\n"
                         "<row ordid=\"a&quot;b\" linnm=\"1\" prdnm=\"x&lt;y&amp;z&gt;\" qunty=\"0.5\" itmpr=\"-2\">"
                         "<null column=\"plndt\"/></row>\n"
                         "</dataset>\n");
}

TEST_F(LoadTest, ExportOfAnUnknownTableFails)
{
    String xml(u"stale");
    EXPECT_FALSE(admin->exportTable(u"nosuch", xml));
    EXPECT_TRUE(xml.empty());
    EXPECT_FALSE(admin->exportTable(u"zpsplyt\" x=\"", xml));
}
