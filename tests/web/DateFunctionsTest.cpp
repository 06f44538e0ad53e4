#include <gtest/gtest.h>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using tessel::testing::call;

// The tests run with TZ=Asia/Shanghai: 1300154400 is 2011-03-15 10:00:00
// there.

TEST(DateFunctions, Int2DateNeedsEightDigits)
{
    EXPECT_EQ(u"2011-03-15", call(u"int2date", {20110315}));
    EXPECT_EQ(u"2011-03-15", call(u"int2date", {u"20110315"}));
    EXPECT_EQ(u"<none>", call(u"int2date", {9999999}));
    EXPECT_EQ(u"1000-00-00", call(u"int2date", {10000000}));
}

TEST(DateFunctions, Date2IntReadsDateTexts)
{
    EXPECT_EQ(u"20110315", call(u"date2int", {u"2011-03-15"}));
    EXPECT_EQ(u"20110503", call(u"date2int", {u"Tue, 03 May 2011"}));
    EXPECT_EQ(u"20110503", call(u"date2int", {u"2011/5/3 10:20"}));
    EXPECT_EQ(u"<none>", call(u"date2int", {u"03-05"}));
    EXPECT_EQ(u"<none>", call(u"date2int", {u"10:20"})) << "a time alone is no date";
    EXPECT_EQ(u"<none>", call(u"date2int", {u""}));
}

TEST(DateFunctions, DateOfGivesLocalDateAndTime)
{
    EXPECT_EQ(u"2011-03-15 10:00:00", call(u"dateof", {1300154400}));
    EXPECT_EQ(u"2011-03-15", call(u"dateof", {1300154400, 10}));
    EXPECT_EQ(u"1970-01-01 08:00:00", call(u"dateof", {0}));
    EXPECT_EQ(u"2038-01-19 11:14:08", call(u"dateof", {u"2147483648"})) << "times past 2038";
    EXPECT_EQ(u"<none>", call(u"dateof", {1e300}));
}

TEST(DateFunctions, TimeOfGivesTheTimePart)
{
    EXPECT_EQ(u"10:00:00", call(u"timeof", {1300154400}));
    EXPECT_EQ(u"10:00", call(u"timeof", {1300154400, 5}));
    EXPECT_EQ(u"<none>", call(u"timeof", {-1e300}));
}

TEST(DateFunctions, LongDateWritesYearMonthAndDay)
{
    EXPECT_EQ(u"2011年3月15日", call(u"longdate", {u"2011-03-15"}));
    EXPECT_EQ(u"2011年3月15日", call(u"longdate", {u"2011-03-15 10:00:00"}));
    EXPECT_EQ(u"<none>", call(u"longdate", {u"2011-03"}));
    EXPECT_EQ(u"<none>", call(u"longdate", {u"2011-03-15-1"}));
}

TEST(DateFunctions, ShortAndSmartDatesWriteMonthAndDay)
{
    EXPECT_EQ(u"3月15日", call(u"shortdate", {u"2011-03-15 10:00:00"}));
    EXPECT_EQ(u"3月5日", call(u"smartdate", {u"2011-03-05"}));
    EXPECT_EQ(u"<none>", call(u"shortdate", {u"20110315"}));
    EXPECT_EQ(u"<none>", call(u"smartdate", {u""}));
}

namespace {

class DateFunctionsInTemplates : public tessel::testing::WebTest {};

} // namespace

TEST_F(DateFunctionsInTemplates, DateTextsOfAnOrder)
{
    set("order.day", "20110315");
    set("order.time", "1300154400");
    set("order.excdt", "2011-03-15 10:00:00");
    EXPECT_EQ("2011-03-15 20110315 2011-03-15 10:00 2011年3月15日 3月15日 3月15日",
              renderText("{order.day|int2date} {order.excdt|date2int} {order.time|dateof,10} {order.time|timeof,5} "
                         "{order.excdt|longdate} {order.excdt|shortdate} {order.excdt|smartdate}"));
    EXPECT_EQ("[]", renderText("[{order.missing|longdate}]"));
}
