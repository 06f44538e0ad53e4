// The notice page: which open lines, shipments and orders each section
// lists, the days limit on due dates, the products to reorder, the section
// switches and the backup reminder.
#include "CompanyTestSupport.h"

#include "quillot/frame/UserState.h"
#include "quillot/pages/NoticeTable.h"
#include "quillot/pages/UserCheck.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

class NoticeSectionsTest : public CompanyTest {
protected:
    void SetUp() override
    {
        CompanyTest::SetUp();
        run(u"INSERT INTO zsclntt(cltnm) VALUES('华东电子')");
        run(u"INSERT INTO zpsplyt(splnm) VALUES('联合五金')");
        client = count(u"SELECT cltid FROM zsclntt WHERE cltnm = '华东电子'");
        supplier = count(u"SELECT splid FROM zpsplyt WHERE splnm = '联合五金'");
        UserState state;
        tree = UserCheck(session).signIn(u"SYSTEM", u"secret", state);
        ASSERT_TRUE(tree);
    }

    // `shipIn` days from today as the date SQL compares ('' for none).
    static String dateIn(int days)
    {
        String sql;
        return sql.format(u"date('now', '%+d days')", days);
    }

    void salesOrder(const char16_t* ordid, int stats = 1, double amont = 1000, double paids = 0)
    {
        String sql;
        run(sql.format(u"INSERT INTO zsordrt(ordid, cltid, amont, paids, taxrt, stats, excdt) "
                       u"VALUES('%s', %d, %0.2f, %0.2f, 1, %d, date('now'))",
                       ordid, client, amont, paids, stats));
    }
    // A line of a sales order, or (`table` "zpordrd") of a purchase order.
    void salesLine(const char16_t* ordid, int linnm, const char16_t* prdnm, double qunty, double ldngs,
                   const String& shpdt, const char16_t* table = u"zsordrd")
    {
        String sql;
        run(sql.format(u"INSERT INTO %s(ordid, linnm, prdnm, specs, qunty, ldngs, itmpr, pramt, shpdt) "
                       u"VALUES('%s', %d, '%s', 'M6', %0.4f, %0.4f, 10, %0.8f, %s)",
                       table, ordid, linnm, session->escape(prdnm).c_str(), qunty, ldngs, qunty * 10, shpdt.c_str()));
    }
    void purchaseOrder(const char16_t* ordid, int stats = 1)
    {
        String sql;
        run(sql.format(u"INSERT INTO zpordrt(ordid, splid, amont, paids, taxrt, stats) VALUES('%s', %d, 500, 0, 1, %d)",
                       ordid, supplier, stats));
    }
    void purchaseLine(const char16_t* ordid, int linnm, const char16_t* prdnm, double qunty, double ldngs,
                      const String& shpdt)
    {
        salesLine(ordid, linnm, prdnm, qunty, ldngs, shpdt, u"zpordrd");
    }
    void stock(const char16_t* prdnm, double qunty)
    {
        String sql;
        run(sql.format(u"INSERT INTO zcprdct(prdnm, specs, qunty) VALUES('%s', 'M6', %0.4f)",
                       session->escape(prdnm).c_str(), qunty));
    }
    void shipment(const char16_t* expid, const char16_t* orgid, double qunty, double invcs, const String& due)
    {
        String sql;
        run(sql.format(u"INSERT INTO zwexprt(expid, cltid, stats, invdt, pymdt) VALUES('%s', %d, 1, %s, %s)", expid,
                       client, due.c_str(), due.c_str()));
        run(sql.format(u"INSERT INTO zwexprd(expid, linnm, prdnm, specs, qunty, invcs, pramt, orgid, orgln) "
                       u"VALUES('%s', 1, '螺栓', 'M6', %0.4f, %0.4f, %0.8f, '%s', 1)",
                       expid, qunty, invcs, qunty * 10, orgid));
    }

    // The notice page of the signed-in visitor with these form values.
    std::unique_ptr<PageHarness> notice(std::initializer_list<std::pair<const char16_t*, String>> fields = {},
                                        bool post = false)
    {
        auto page = std::make_unique<PageHarness>(u"Notice", session, app);
        page->action->setCompany(tree);
        page->run(fields, post);
        return page;
    }
    // The values of one column of a section, in row order.
    static std::vector<std::string> column(PageHarness& page, const char16_t* section, const char16_t* name)
    {
        std::vector<std::string> values;
        Value* rows = page.action->getValue()->find(section);
        String key;
        for (int i = 0; rows && rows->getIndex(i, key); i++)
            values.push_back(rows->getIndex(i, key)->getAt(name).toStdString());
        return values;
    }

    int client = 0;
    int supplier = 0;
    Ref<Value> tree;
};

using Rows = std::vector<std::string>;

} // namespace

TEST_F(NoticeSectionsTest, DaysLimitTheDueLinesAndZeroListsThemAll)
{
    salesOrder(u"SO201106001");
    salesLine(u"SO201106001", 1, u"in ten days", 5, 0, dateIn(10));
    salesLine(u"SO201106001", 2, u"in three days", 5, 0, dateIn(3));
    salesLine(u"SO201106001", 3, u"overdue", 5, 2, dateIn(-2));
    salesLine(u"SO201106001", 4, u"shipped", 5, 5, dateIn(1));

    auto all = notice({{u"days", u"0"}});
    EXPECT_EQ(column(*all, u"salesExport", u"prdnm"), (Rows{"overdue", "in three days", "in ten days"}));
    EXPECT_EQ(all->at(u"days"), "0");
    EXPECT_EQ(all->at(u"count.salesExport"), "3");
    EXPECT_EQ(all->at(u"count.salesReply"), "0");

    auto week = notice({{u"days", u"7"}});
    EXPECT_EQ(column(*week, u"salesExport", u"prdnm"), (Rows{"overdue", "in three days"}));
    EXPECT_EQ(week->at(u"days"), "7");
}

TEST_F(NoticeSectionsTest, LinesWithoutAShipDateAreListedWhateverTheDays)
{
    salesOrder(u"SO201106001");
    salesLine(u"SO201106001", 1, u"no date", 5, 0, u"''");
    salesOrder(u"SO201106002", 4); // closed
    salesLine(u"SO201106002", 1, u"closed order", 5, 0, u"''");
    purchaseOrder(u"PO201106001");
    purchaseLine(u"PO201106001", 1, u"to confirm", 8, 0, u"''");
    purchaseLine(u"PO201106001", 2, u"to receive", 8, 3, dateIn(30));

    auto page = notice({{u"days", u"7"}});
    EXPECT_EQ(column(*page, u"salesReply", u"prdnm"), Rows{"no date"});
    EXPECT_EQ(column(*page, u"salesReply", u"cltnm"), Rows{"华东电子"});
    EXPECT_EQ(column(*page, u"purchaseReply", u"prdnm"), Rows{"to confirm"});
    EXPECT_EQ(column(*page, u"purchaseReply", u"splnm"), Rows{"联合五金"});
    EXPECT_EQ(column(*page, u"purchaseImport", u"prdnm"), Rows{});
    EXPECT_EQ(column(*notice({{u"days", u"0"}}), u"purchaseImport", u"prdnm"), Rows{"to receive"});
}

TEST_F(NoticeSectionsTest, ShipmentsToInvoiceAndOrdersToBePaid)
{
    salesOrder(u"SO201106001", 1, 1000, 200);
    salesLine(u"SO201106001", 1, u"螺栓", 10, 10, dateIn(-5));
    shipment(u"GI201106001", u"SO201106001", 10, 4, dateIn(10));
    salesOrder(u"SO201106002", 1, 300, 300); // paid
    salesLine(u"SO201106002", 1, u"螺栓", 3, 3, dateIn(-5));
    shipment(u"GI201106002", u"SO201106002", 3, 3, dateIn(2)); // invoiced

    auto all = notice();
    EXPECT_EQ(column(*all, u"salesInvoice", u"expid"), Rows{"GI201106001"});
    EXPECT_EQ(column(*all, u"salesPayment", u"ordid"), Rows{"SO201106001"});
    EXPECT_EQ(column(*all, u"salesPayment", u"pramt"), Rows{"100.0"});

    auto soon = notice({{u"days", u"7"}});
    EXPECT_EQ(column(*soon, u"salesInvoice", u"expid"), Rows{});
    EXPECT_EQ(column(*soon, u"salesPayment", u"ordid"), Rows{});
}

TEST_F(NoticeSectionsTest, ProductsToReorderAreWhatStockAndPurchasesLack)
{
    salesOrder(u"SO201106001");
    salesLine(u"SO201106001", 1, u"螺栓", 10, 0, u"''");
    salesLine(u"SO201106001", 2, u"O'Brien 垫圈", 4, 1, u"''");
    salesLine(u"SO201106001", 3, u"螺母", 5, 0, u"''");
    stock(u"螺栓", 3);
    stock(u"O'Brien 垫圈", 1);
    purchaseOrder(u"PO201106001");
    purchaseLine(u"PO201106001", 1, u"螺栓", 4, 0, dateIn(5));
    purchaseLine(u"PO201106001", 2, u"螺母", 5, 0, dateIn(5)); // fully covered

    auto page = notice();
    EXPECT_EQ(column(*page, u"purchaseOrder", u"prdnm"), (Rows{"O'Brien 垫圈", "螺栓"}));
    EXPECT_EQ(column(*page, u"purchaseOrder", u"needs"), (Rows{"3", "10"}));
    EXPECT_EQ(column(*page, u"purchaseOrder", u"stock"), (Rows{"1", "3"}));
    EXPECT_EQ(column(*page, u"purchaseOrder", u"ordrs"), (Rows{"0", "4"}));
    EXPECT_EQ(column(*page, u"purchaseOrder", u"qunty"), (Rows{"2", "3"}));
    EXPECT_EQ(page->at(u"purchaseOrder.001.specs"), "M6");
}

TEST_F(NoticeSectionsTest, TheDaysFieldIsANumberBeforeItReachesTheQuery)
{
    EXPECT_EQ(NoticeTable::daysOf(u""), 0);
    EXPECT_EQ(NoticeTable::daysOf(u" 7 "), 7);
    EXPECT_EQ(NoticeTable::daysOf(u"-5"), 0);
    EXPECT_EQ(NoticeTable::daysOf(u"abc"), 0);
    EXPECT_EQ(NoticeTable::daysOf(u"7) OR (1=1"), 0);
    EXPECT_EQ(NoticeTable::daysOf(u"3.5"), 0);
    EXPECT_EQ(NoticeTable::daysOf(u"99999999999999"), NoticeTable::MAX_DAYS);

    salesOrder(u"SO201106001");
    salesLine(u"SO201106001", 1, u"later", 5, 0, dateIn(400));
    auto odd = notice({{u"days", u"1) OR (1=1"}});
    EXPECT_EQ(odd->at(u"days"), "0");
    EXPECT_EQ(column(*odd, u"salesExport", u"prdnm"), Rows{"later"});
}

TEST_F(NoticeSectionsTest, TheSwitchesChooseTheSectionsAndAreRemembered)
{
    auto page = notice({{u"s1", u"1"}, {u"s5", u"1"}, {u"days", u"0"}}, true);
    Value* data = page->action->getValue();
    EXPECT_TRUE(data->exists(u"salesReply"));
    EXPECT_TRUE(data->exists(u"purchaseOrder"));
    EXPECT_FALSE(data->exists(u"salesExport"));
    EXPECT_FALSE(data->exists(u"purchasePayment"));
    EXPECT_EQ(page->at(u"notice.s1"), "1");
    EXPECT_EQ(page->at(u"notice.s2"), "0");
    EXPECT_EQ(tree->getAt(u"notice.s5"), u"1");
    EXPECT_EQ(tree->getAt(u"notice.s9"), u"0");

    // A later visit without a POST keeps the choice.
    auto later = notice();
    EXPECT_FALSE(later->action->getValue()->exists(u"salesExport"));
    EXPECT_TRUE(later->action->getValue()->exists(u"salesReply"));
}

TEST_F(NoticeSectionsTest, TheBackupReminderShowsOnce)
{
    tree->insert(u"backup", u"1");
    EXPECT_EQ(notice()->at(u"backup"), "1");
    EXPECT_FALSE(tree->exists(u"backup"));
    EXPECT_EQ(notice()->at(u"backup"), "");
}

TEST_F(NoticeSectionsTest, NothingWithoutASignedInCompany)
{
    PageHarness page(u"Notice", session, app);
    page.run({});
    EXPECT_FALSE(page.action->getValue()->exists(u"salesReply"));
}
