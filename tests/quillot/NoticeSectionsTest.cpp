// The notice page: the days field as a number, the products to reorder and
// the section switches.
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

TEST_F(NoticeSectionsTest, TheBackupReminderShowsOncePerSignIn)
{
    EXPECT_FALSE(tree->exists(u"backup"));
    EXPECT_FALSE(notice()->action->getValue()->exists(u"backup")) << "no reminder asked for";

    run(u"INSERT OR REPLACE INTO zsysconf(classid, nameid, svalue) VALUES(3, 1, '1')");
    UserState state;
    tree = UserCheck(session).signIn(u"SYSTEM", u"secret", state);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->getAt(u"backup"), u"1");
    auto first = notice();
    EXPECT_EQ(first->at(u"backup"), "1");
    EXPECT_FALSE(tree->exists(u"backup"));
    EXPECT_FALSE(notice()->action->getValue()->exists(u"backup")) << "shown once";

    tree = UserCheck(session).signIn(u"SYSTEM", u"secret", state);
    ASSERT_TRUE(tree);
    EXPECT_EQ(notice()->at(u"backup"), "1") << "and again after the next sign-in";
}
