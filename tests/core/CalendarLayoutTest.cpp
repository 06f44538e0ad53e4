// Laying out months: range checks, the packed day word, the getters and the
// month navigation codes.

#include <gtest/gtest.h>

#include <ctime>

#include "tessel/core/Calendar.h"

using namespace tessel;

namespace {

int64_t localInstant(int year, int month, int day, int hour, int minute)
{
    struct tm local = {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&local));
}

class CalendarStartsAtNow : public ::testing::Test {
protected:
    void TearDown() override { Calendar::useSystemClock(); }
};

} // namespace

TEST(CalendarRange, RejectedMonthKeepsThePreviousLayout)
{
    Calendar calendar;
    ASSERT_EQ(calendar.SetMonth(2024, 1), 1);
    dateinfo before = calendar.GetDay(10);
    EXPECT_EQ(calendar.SetMonth(1644, 0), 0);
    EXPECT_EQ(calendar.SetMonth(Calendar::MAX_YEAR + 1, 0), 0);
    EXPECT_EQ(calendar.SetMonth(2024, 12), 0);
    EXPECT_EQ(calendar.SetMonth(2024, -1), 0);
    EXPECT_EQ(calendar.getYear(), 2024);
    EXPECT_EQ(calendar.getMonth(), 2);
    EXPECT_EQ(calendar.getMonthDays(), 29);
    EXPECT_EQ(calendar.GetDay(10), before);
}

TEST(CalendarRange, FirstAndLastMonthsOfTheRange)
{
    Calendar calendar;
    EXPECT_EQ(calendar.SetMonth(Calendar::MIN_YEAR, 0), 1);
    EXPECT_NE(calendar.GetDay(1), 0u);
    // December of the last year reaches the solstice of the year after.
    EXPECT_EQ(calendar.SetMonth(Calendar::MAX_YEAR, 11), 1);
    for (int day = 1; day <= 31; day++) {
        int lunarDay = Calendar::lunarDayOf(calendar.GetDay(day));
        EXPECT_GE(lunarDay, 1);
        EXPECT_LE(lunarDay, 30);
    }
}

TEST(CalendarRange, DaysOutsideTheMonthHaveNoWord)
{
    Calendar calendar;
    calendar.SetMonth(2023, 1);
    EXPECT_EQ(calendar.GetDay(0), 0u);
    EXPECT_EQ(calendar.GetDay(29), 0u);
    EXPECT_EQ(calendar.GetDay(-1), 0u);
    EXPECT_NE(calendar.GetDay(28), 0u);
}

TEST_F(CalendarStartsAtNow, ClockOutsideTheRangeLaysOutNothing)
{
    Calendar::setNow(localInstant(1600, 6, 1, 12, 0));
    Calendar calendar;
    EXPECT_EQ(calendar.getMonthDays(), 0);
    EXPECT_EQ(calendar.GetDay(1), 0u);
    EXPECT_EQ(calendar.DayString(0, 1), nullptr);
    EXPECT_EQ(calendar.MonthString(), nullptr);
}
