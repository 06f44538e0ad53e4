#include "CompanyTestSupport.h"

#include "quillot/frame/ListQuery.h"
#include "quillot/frame/TableClass.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// The supplier contact list, with the supplier's name joined in.
ListQuery contacts()
{
    return ListQuery(u"c.splid, c.cntct, c.cntid, s.splnm", u"FROM zpcntct c LEFT JOIN zpsplyt s ON c.splid = s.splid",
                     u" ORDER BY 1, 2", {u"c.cntct", u"s.splid", u"s.splnm", u"c.sexty", u"a", u"b", u"c"});
}

class ListFilterTest : public CompanyTest {
protected:
    String clause(const String& filter)
    {
        TableClass table(session);
        return table.filterClause(contacts(), filter);
    }

    void addContacts(int suppliers, int perSupplier)
    {
        DbTransaction transaction(session);
        for (int s = 1; s <= suppliers; s++) {
            String sql;
            sql.format(u"INSERT INTO zpsplyt(splnm) VALUES('供应商%d')", s);
            ASSERT_TRUE(session->execute(sql));
            for (int c = 1; c <= perSupplier; c++) {
                sql.format(u"INSERT INTO zpcntct(splid, cntct, sexty) VALUES(%d, 'lee%d', %d)", s, c, c % 2);
                ASSERT_TRUE(session->execute(sql));
            }
        }
        ASSERT_TRUE(transaction.commit());
    }

    // A list page run over FORM values; the data tree it filled.
    Ref<Value> listPage(const ListQuery& query, std::initializer_list<std::pair<const char16_t*, const char16_t*>> form)
    {
        Ref<Value> data = new Value();
        for (const auto& [name, value] : form)
            data->insert(String(u"FORM.") + name, value);
        TableClass table(session);
        table.listPage(data, query);
        return data;
    }
};

TEST_F(ListFilterTest, ConditionsBecomeClauses)
{
    EXPECT_EQ(clause(u"c.cntct IN lee;s.splid EQ 3"), u" AND c.cntct LIKE '%lee%' AND s.splid = '3'");
    EXPECT_EQ(clause(u"a GT 1;b XX 2;c EQ 3"), u" AND a > 1");
    EXPECT_EQ(clause(u"c.cntct NI x;c.sexty NE 1;a LT 2;b GE -3.5;c LE +4"),
              u" AND c.cntct NOT LIKE '%x%' AND c.sexty != '1' AND a < 2 AND b >= -3.5 AND c <= +4");
    EXPECT_EQ(clause(u""), u"");
    // Short conditions are skipped; words after the value are ignored.
    EXPECT_EQ(clause(u"a GT;;c.cntct EQ lee more words"), u" AND c.cntct = 'lee'");
}

TEST_F(ListFilterTest, OnlyListedColumnsAndSafeValuesReachTheSql)
{
    // A column the list does not offer ends the filter, as an unknown
    // operator does.
    EXPECT_EQ(clause(u"c.cntct EQ a;password EQ x;a GT 1"), u" AND c.cntct = 'a'");
    EXPECT_EQ(clause(u"1=1) OR (1 EQ 1"), u"");
    // Quotes in a value stay inside the value.
    EXPECT_EQ(clause(u"c.cntct EQ o'brien"), u" AND c.cntct = 'o''brien'");
    EXPECT_EQ(clause(u"s.splnm IN x'--"), u" AND s.splnm LIKE '%x''--%'");
    // The numeric comparisons take numbers only; another value drops the
    // condition and the scan goes on.
    EXPECT_EQ(clause(u"a GT 1);b LT 0x10;c GE 1e9;a LE 7"), u" AND a <= 7");
    EXPECT_EQ(clause(u"a GT 1.2.3;b GT .5"), u" AND b > .5");

    addContacts(2, 2);
    // What the page then runs is sound SQL that finds the quoted name.
    ASSERT_TRUE(run(u"INSERT INTO zpcntct(splid, cntct) VALUES(1, 'o''brien')"));
    Ref<Value> data = listPage(contacts(), {{u"filter", u"c.cntct EQ o'brien"}});
    EXPECT_EQ(data->getInt(u"pages"), 1);
    EXPECT_EQ(data->getAt(u"list.001.cntct"), u"o'brien");
}

TEST_F(ListFilterTest, TheCountNamesTheJoinedColumnsItsRowsDo)
{
    addContacts(3, 40);
    // The filter names a column of the joined supplier table: the count
    // must see the same rows the list shows.
    Ref<Value> data = listPage(contacts(), {{u"filter", u"s.splnm EQ 供应商2"}, {u"size", u"5"}});
    EXPECT_EQ(data->getAt(u"FORM.size"), u"100"); // the page size is the list's
    EXPECT_EQ(data->getInt(u"pages"), 1);
    EXPECT_EQ(data->find(u"list")->size(), 40);
    EXPECT_EQ(data->getAt(u"list.001.splnm"), u"供应商2");

    data = listPage(contacts(), {});
    EXPECT_EQ(data->getInt(u"pages"), 2);
    EXPECT_EQ(data->find(u"list")->size(), 100);
    data = listPage(contacts(), {{u"page", u"2"}});
    EXPECT_EQ(data->find(u"list")->size(), 20);
    EXPECT_EQ(data->getAt(u"list.001.splid"), u"3");
}

TEST_F(ListFilterTest, PageNumbersStayOnExistingPages)
{
    addContacts(1, 150);
    Ref<Value> data = listPage(contacts(), {{u"page", u"-4"}});
    EXPECT_EQ(data->getInt(u"FORM.page"), 1);
    EXPECT_EQ(data->getAt(u"list.001.cntct"), u"lee1");
    // A page far beyond the last (whose offset would overflow) shows the last.
    data = listPage(contacts(), {{u"page", u"2147483647"}});
    EXPECT_EQ(data->getInt(u"FORM.page"), 2);
    EXPECT_EQ(data->find(u"list")->size(), 50);

    // The stock list shows its own page size, with a fixed condition.
    ASSERT_TRUE(run(u"INSERT INTO zcprdct(prdnm, specs, qunty) VALUES('a', '1', 5)"));
    ASSERT_TRUE(run(u"INSERT INTO zcprdct(prdnm, specs, qunty) VALUES('b', '1', 0)"));
    ListQuery stock(u"prdnm, specs, unitg, itmpr, qunty", u"FROM zcprdct", u" ORDER BY 1", {u"prdnm", u"specs"});
    stock.pageSize(ListQuery::STOCK_PAGE_SIZE).where(u"qunty > 0");
    data = listPage(stock, {});
    EXPECT_EQ(data->getAt(u"FORM.size"), u"1000");
    EXPECT_EQ(data->getInt(u"pages"), 1);
    EXPECT_EQ(data->find(u"list")->size(), 1);
}

} // namespace
