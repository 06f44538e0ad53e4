#include "CompanyTestSupport.h"

#include "quillot/frame/TableClass.h"

using tessel::Date;
using tessel::String;

namespace {

const Date JUNE(2011, 6, 30);
const Date JULY(2011, 7, 1);

class NumberingTest : public CompanyTest {
protected:
    void setCounter(int tableid, const char16_t* period, int lastid)
    {
        String sql;
        sql.format(u"UPDATE zsyslast SET period = '%s', lastid = %d WHERE tableid = %d", period, lastid, tableid);
        ASSERT_TRUE(run(sql));
    }
    std::string state(int tableid)
    {
        String sql;
        sql.format(u"SELECT period || ':' || lastid FROM zsyslast WHERE tableid = %d", tableid);
        return text(sql);
    }
    // A receipt saved as the pages save one: the number drawn and the
    // document written in one transaction.
    String saveReceipt(const Date& today, bool commit = true)
    {
        TableClass table(session);
        DbTransaction transaction(session);
        String number = table.drawNumber(301, today);
        String sql;
        sql.format(u"INSERT INTO zwimprt(impid, stats) VALUES('%s', 3)", number.c_str());
        if (number.empty() || !session->execute(sql) || (commit && !transaction.commit()))
            return String();
        return number;
    }
};

TEST_F(NumberingTest, TheCounterRestartsEveryMonth)
{
    setCounter(301, u"201106", 7);
    TableClass table(session);
    EXPECT_EQ(table.nextNumber(301, JUNE), u"GR201106008");
    EXPECT_EQ(table.nextNumber(301, JULY), u"GR201107001");
    EXPECT_EQ(state(301), "201106:7"); // reading reserves nothing

    EXPECT_EQ(saveReceipt(JUNE), u"GR201106008");
    EXPECT_EQ(saveReceipt(JULY), u"GR201107001");
    EXPECT_EQ(saveReceipt(JULY), u"GR201107002");
    EXPECT_EQ(state(301), "201107:2");
}

TEST_F(NumberingTest, TwoSavesInAMonthNeverShareANumber)
{
    // Both forms showed the same next number; each save draws its own.
    TableClass table(session);
    EXPECT_EQ(table.nextNumber(301, JUNE), u"GR201106001");
    String first = saveReceipt(JUNE);
    String second = saveReceipt(JUNE);
    EXPECT_EQ(first, u"GR201106001");
    EXPECT_EQ(second, u"GR201106002");
    EXPECT_EQ(count(u"SELECT count(*) FROM zwimprt"), 2);

    // A save that is abandoned gives its number back.
    EXPECT_EQ(saveReceipt(JUNE, false), u"GR201106003");
    EXPECT_EQ(state(301), "201106:2");
    EXPECT_EQ(saveReceipt(JUNE), u"GR201106003");

    // Drawing outside a transaction would let two saves meet: refused.
    EXPECT_EQ(table.drawNumber(301, JUNE), u"");
    EXPECT_EQ(state(301), "201106:3");
}

TEST_F(NumberingTest, NumbersGoOnPastTheThousandth)
{
    setCounter(301, u"201106", 998);
    EXPECT_EQ(saveReceipt(JUNE), u"GR201106999");
    EXPECT_EQ(saveReceipt(JUNE), u"GR2011061000");
    EXPECT_EQ(saveReceipt(JUNE), u"GR2011061001");
    EXPECT_EQ(state(301), "201106:1001");

    // Committing reads everything after the prefix and the month.
    setCounter(207, u"201106", 0);
    TableClass table(session);
    EXPECT_TRUE(table.commitNumber(207, u"PI2011061000"));
    EXPECT_EQ(state(207), "201106:1000");
    EXPECT_EQ(table.nextNumber(207, JUNE), u"PI2011061001");
}

TEST_F(NumberingTest, CommittingRecordsTheNumberAndNeverGoesBack)
{
    TableClass table(session);
    EXPECT_TRUE(table.commitNumber(208, u"PP201106005"));
    EXPECT_EQ(state(208), "201106:5");
    // An older number of the month, or of an earlier month, changes nothing.
    EXPECT_TRUE(table.commitNumber(208, u"PP201106003"));
    EXPECT_TRUE(table.commitNumber(208, u"PP201105009"));
    EXPECT_EQ(state(208), "201106:5");
    EXPECT_TRUE(table.commitNumber(208, u"PP201107001"));
    EXPECT_EQ(state(208), "201107:1");
    // Numbers of another kind or of no known form are refused.
    EXPECT_FALSE(table.commitNumber(208, u"PI201107009"));
    EXPECT_FALSE(table.commitNumber(208, u"PP2011"));
    EXPECT_FALSE(table.commitNumber(208, u"PP20110x007"));
    EXPECT_FALSE(table.commitNumber(208, u"PP201107abc"));
    EXPECT_FALSE(table.commitNumber(999, u"PP201107002"));
    EXPECT_EQ(state(208), "201107:1");
}

} // namespace
