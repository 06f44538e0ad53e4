#include "CompanyTestSupport.h"

#include <vector>

#include "quillot/frame/ListQuery.h"
#include "quillot/frame/TableClass.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

class TableRowsTest : public CompanyTest {
protected:
    void addOrders(int count)
    {
        DbTransaction transaction(session);
        for (int i = 1; i <= count; i++) {
            String sql;
            sql.format(u"INSERT INTO zpordrt(ordid, splid, stats, amont) VALUES('P%05d', %d, %d, %d)", i, i % 3,
                       i % 7, i);
            ASSERT_TRUE(session->execute(sql)) << lastError();
        }
        ASSERT_TRUE(transaction.commit());
    }

    // The children's keys in the tree's order.
    static std::vector<std::string> keys(Value* node)
    {
        std::vector<std::string> out;
        String key;
        for (int i = 0; node->getIndex(i, key); i++)
            out.push_back(key.toStdString());
        return out;
    }
};

TEST_F(TableRowsTest, OneRowIntoTheTarget)
{
    addOrders(2);
    TableClass table(session);
    Ref<Value> row = new Value();
    EXPECT_TRUE(table.fetchRow(row, u"SELECT ordid, amont FROM zpordrt WHERE ordid = 'P00002'"));
    EXPECT_EQ(row->getAt(u"ordid"), u"P00002");
    EXPECT_EQ(row->getInt(u"amont"), 2);
    EXPECT_FALSE(table.fetchRow(row, u"SELECT ordid FROM zpordrt WHERE ordid = 'none'"));
    EXPECT_FALSE(table.fetchRow(row, u"SELECT nothing FROM nowhere"));

    TableClass detached(nullptr);
    EXPECT_FALSE(detached.fetchRow(row, u"SELECT 1"));
    detached.listRows(row, u"SELECT 1", 0, 0);
    EXPECT_EQ(detached.nextNumber(301), u"");
}

TEST_F(TableRowsTest, RowsArePagedAndNamedWithTheirStateWords)
{
    addOrders(12);
    TableClass table(session);
    Ref<Value> list = new Value();
    table.listRows(list, u"SELECT ordid, stats FROM zpordrt ORDER BY ordid", 5, 5);
    EXPECT_EQ(keys(list), (std::vector<std::string>{"001", "002", "003", "004", "005"}));
    EXPECT_EQ(list->getAt(u"001.ordid"), u"P00006");
    EXPECT_EQ(list->getAt(u"001.state"), u"redink");  // 6
    EXPECT_EQ(list->getAt(u"002.state"), u"normal");  // 0
    EXPECT_EQ(list->getAt(u"005.state"), u"normal");  // 3
    EXPECT_EQ(list->getAt(u"005.ordid"), u"P00010");

    // Without a limit the rows carry no state word.
    Ref<Value> all = new Value();
    table.listRows(all, u"SELECT ordid, stats FROM zpordrt ORDER BY ordid", 0, 0);
    EXPECT_EQ(all->size(), 12);
    EXPECT_FALSE(all->exists(u"006.state"));
}

TEST_F(TableRowsTest, MoreThan999RowsKeepTheirOrder)
{
    addOrders(1005);
    TableClass table(session);
    Ref<Value> list = new Value();
    table.listRows(list, u"SELECT ordid, stats FROM zpordrt ORDER BY ordid", 1005, 0);
    ASSERT_EQ(list->size(), 1005);
    std::vector<std::string> names = keys(list);
    EXPECT_EQ(names.front(), "0001");
    EXPECT_EQ(names[999], "1000");
    EXPECT_EQ(names.back(), "1005");
    // Walking the tree gives the rows in the query's order.
    String key;
    for (int i = 0; i < list->size(); i++) {
        String expected;
        expected.format(u"P%05d", i + 1);
        ASSERT_EQ(list->getIndex(i, key)->getAt(u"ordid"), expected) << i;
    }
    EXPECT_EQ(list->getAt(u"0006.state"), u"redink");
    EXPECT_EQ(TableClass::rowKey(7, 999), u"007");
    EXPECT_EQ(TableClass::rowKey(7, 10000), u"00007");
}

} // namespace
