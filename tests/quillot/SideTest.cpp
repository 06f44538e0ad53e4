// The side description, the document rounding and the report of a query
// that the database refused.
#include "CompanyTestSupport.h"

#include <cmath>

#include "quillot/frame/FailureLog.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

TEST(SideTest, SqlNamesTheSidesTables)
{
    const char16_t* const sql = u"SELECT t.{pkey}, c.{pname} FROM {orders} t JOIN {partners} c USING({pkey})";
    EXPECT_EQ(Side::purchase().sql(sql), u"SELECT t.splid, c.splnm FROM zpordrt t JOIN zpsplyt c USING(splid)");
    EXPECT_EQ(Side::sales().sql(sql), u"SELECT t.cltid, c.cltnm FROM zsordrt t JOIN zsclntt c USING(cltid)");
    EXPECT_EQ(Side::sales().sql(u"{moveLines}.{mkey} {invoiceLines} {paymentLines} {clauses} {contacts}"),
              u"zwexprd.expid zsinvcd zspymnd zsextrd zscntct");
    // What is not a placeholder stays as written.
    EXPECT_EQ(Side::purchase().sql(u"{nosuch} {} { {orders"), u"{nosuch} {} { {orders");
    EXPECT_EQ(Side::purchase().sql(u""), u"");
}

TEST(SideTest, WordsKeysAndKinds)
{
    EXPECT_EQ(Side::byWord(u"supply"), &Side::purchase());
    EXPECT_EQ(Side::byWord(u"sales"), &Side::sales());
    EXPECT_EQ(Side::byWord(u"_all"), nullptr);
    EXPECT_EQ(Side::keyOf(Side::purchase().orderTable), u"zpordr");
    EXPECT_EQ(Side::keyOf(Side::sales().movementTable), u"zwexpr");
    EXPECT_EQ(Side::sales().partnerPage(u"Edit"), u"SalesClientEdit");
    EXPECT_EQ(Side::purchase().orderKind, KIND_PURCHASE_ORDER);
    EXPECT_EQ(Side::sales().movementKind, KIND_STOCK_ISSUE);
    EXPECT_TRUE(Side::purchase().isPurchase());
    EXPECT_FALSE(Side::sales().isPurchase());
}

TEST(RoundingTest, HalfAwayFromZeroOnTheDecimalText)
{
    const struct {
        double value;
        int places;
        const char* text;
    } cases[] = {
        {2.675, 2, "2.68"},
        {-2.675, 2, "-2.68"},
        {1.005, 2, "1.01"},
        {0.1 + 0.2, 2, "0.30"},
        {2.665, 2, "2.67"},
        {2.664999, 2, "2.66"},
        {9.99995, 4, "10.0000"},
        {-0.004, 2, "0.00"},
        {0.123456785, 8, "0.12345679"},
        {123456789012.675, 2, "123456789012.68"},
        {1e-5, 8, "0.00001000"},
        {5, 0, "5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Rounding::text(c.value, c.places).toStdString(), c.text) << c.value;
    EXPECT_EQ(Rounding::money(0.1 + 0.2), 0.3);
    EXPECT_EQ(Rounding::quantity(1.00005), 1.0001);
}

TEST(RoundingTest, TypedNumbersAreFiniteAndWithinTheLimit)
{
    double value = -1;
    EXPECT_TRUE(Rounding::parse(u" 12.5 ", value));
    EXPECT_EQ(value, 12.5);
    EXPECT_TRUE(Rounding::parse(u"-3", value));
    EXPECT_EQ(value, -3);
    EXPECT_TRUE(Rounding::parse(u"", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(Rounding::parse(u"", value, false));
    for (const char16_t* bad :
         {u"abc", u"1e5", u"inf", u"nan", u"1,000", u"--1", u"1-", u"1000000000001", u".", u"0x10"})
        EXPECT_FALSE(Rounding::parse(bad, value)) << String(bad).toStdString();
    EXPECT_TRUE(Rounding::parse(u"1000000000000", value));
}

class FailureReportTest : public CompanyTest {
protected:
    void SetUp() override
    {
        CompanyTest::SetUp();
        FailureLog::setSink([this](const std::string& line) { lines.push_back(line); });
    }
    void TearDown() override
    {
        FailureLog::setSink(nullptr);
        CompanyTest::TearDown();
    }
    std::vector<std::string> lines;
};

TEST_F(FailureReportTest, AQueryThatCannotRunIsAFailureOnTheLogNotAnEmptyList)
{
    TableClass table(session);
    Ref<Value> rows = new Value();
    EXPECT_TRUE(table.listRows(rows, u"SELECT splid FROM zpsplyt", 0, 0));
    EXPECT_TRUE(lines.empty());
    EXPECT_FALSE(table.listRows(rows, u"SELECT nosuch FROM zpsplyt", 0, 0));
    EXPECT_EQ(table.getError(), TableClass::READ_FAILED);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("no such column: nosuch"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("SELECT nosuch FROM zpsplyt"), std::string::npos) << lines[0];
    EXPECT_FALSE(table.fetchRow(rows, u"SELECT * FROM nowhere"));
    EXPECT_EQ(lines.size(), 2u);
    // A row that is not there is no failure.
    TableClass other(session);
    EXPECT_FALSE(other.fetchRow(rows, u"SELECT splid FROM zpsplyt WHERE splid = ?", {-1}));
    EXPECT_EQ(other.getError(), u"");
    EXPECT_EQ(lines.size(), 2u);
    // No line end or control character of a value reaches the log as such.
    EXPECT_EQ(FailureLog::line(u"Page\n", u"e", u"x\r\ny"),
              "quillot: Page\\x0a: the database refused a statement: e: x\\x0d\\x0ay");
}

TEST_F(FailureReportTest, ThePageAnswersTheFailureWithThePageAndSqlOnTheLog)
{
    ASSERT_TRUE(run(u"DROP TABLE zsordrd"));
    PageHarness page(u"Notice", session, app);
    Ref<Value> company = new Value();
    company->insert(u"notice.s1", u"1");
    page.action->setCompany(company);
    std::string answer = page.run({});
    EXPECT_NE(answer.find("读取数据时出错"), std::string::npos) << answer;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].rfind("quillot: NoticeAction: ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("zsordrd"), std::string::npos);
}
