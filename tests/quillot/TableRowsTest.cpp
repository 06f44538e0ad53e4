#include "CompanyTestSupport.h"

#include <vector>

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
            sql.format(u"INSERT INTO zpordrt(ordid, splid, stats, amont) VALUES('P%05d', %d, %d, %d)", i, i % 3, i % 7,
                       i);
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
