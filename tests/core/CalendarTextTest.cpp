// The texts: day lines in their three modes, month-view labels, the month
// caption, today's date and the greeting, and the name tables.

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "tessel/core/Calendar.h"
#include "tessel/core/String.h"

using namespace tessel;

namespace {

std::string utf8(const char16_t* text)
{
    return text ? String(text).toStdString() : std::string("(null)");
}

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

// The month-view cell's label of a day.
std::string labelOf(int year, int month, int day)
{
    Calendar calendar;
    EXPECT_EQ(calendar.SetMonth(year, month - 1), 1);
    std::string cell = utf8(calendar.DayString(day, 2));
    std::string prefix = "<big>" + std::to_string(day) + "</big><small>";
    EXPECT_EQ(cell.substr(0, prefix.size()), prefix);
    size_t end = cell.rfind("</small>");
    EXPECT_EQ(end, cell.size() - 8);
    return cell.substr(prefix.size(), end - prefix.size());
}

class CalendarTextsAtNow : public ::testing::Test {
protected:
    void TearDown() override { Calendar::useSystemClock(); }

    std::string welcomeAt(int hour, int minute)
    {
        Calendar::setNow(localInstant(2024, 5, 20, hour, minute));
        return utf8(calendar.getWelcome());
    }

    Calendar calendar;
};

} // namespace

TEST(CalendarDayString, ModeOneShowsYearLunarDateAndTerm)
{
    Calendar calendar;
    calendar.SetMonth(2024, 1);
    EXPECT_EQ(utf8(calendar.DayString(10, 1)), "甲辰年 正月初一 ");
    EXPECT_EQ(utf8(calendar.DayString(4, 1)), "甲辰年 十二月廿五 立春");
    calendar.SetMonth(2024, 0);
    EXPECT_EQ(utf8(calendar.DayString(1, 1)), "甲辰年 十一月二十 ");
}

TEST(CalendarLabel, FestivalsTermsAndLunarDays)
{
    struct Row {
        int year, month, day;
        const char* label;
    } rows[] = {
        {2024, 6, 10, "端午节"},
        {2024, 9, 17, "中秋节"},
        {2020, 10, 1, "中秋节"}, // on the national day the lunar festival wins
        // 除夕 ends a 30-day twelfth month (2024) and 29-day ones (2025, 2022),
        // also on the last day of a Gregorian month and after a leap month (2034).
        {2024, 2, 9, "除夕"},
        {2025, 1, 28, "除夕"},
        {2025, 1, 27, "廿八"},
        {2022, 1, 31, "除夕"},
        {2022, 1, 30, "廿八"},
        {2034, 2, 18, "除夕"},
        // No festival again in a leap month: 2009 leap fifth, 1995 leap eighth.
        {2009, 5, 28, "端午节"},
        {2009, 6, 27, "初五"},
        {1995, 9, 9, "中秋节"},
        {1995, 10, 9, "寒露"},
        {2024, 1, 1, "元旦"},
        {2024, 2, 14, "情人节"},
        {2024, 3, 8, "妇女节"},
        {2024, 5, 1, "劳动节"},
        {2024, 6, 1, "儿童节"},
        {2024, 9, 10, "教师节"},
        {2024, 10, 1, "国庆节"},
        {2024, 12, 25, "圣诞节"},
        // Mother's and Father's Day on the second and third Sundays only.
        {2023, 5, 14, "母亲节"},
        {2023, 5, 7, "十八"},
        {2023, 5, 21, "小满"},
        {2024, 5, 12, "母亲节"},
        {2023, 6, 18, "父亲节"},
        {2024, 6, 16, "父亲节"},
        {2024, 6, 23, "十八"},
        // Otherwise the solar term, then the month name on day one, else the day.
        {2024, 2, 4, "立春"},
        {2024, 12, 21, "冬至"},
        {2024, 2, 10, "正月"},
        {2024, 2, 11, "初二"},
        {2024, 2, 29, "二十"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(labelOf(row.year, row.month, row.day), row.label) << row.year << "-" << row.month << "-" << row.day;
}

TEST_F(CalendarTextsAtNow, WelcomeByTimeOfDay)
{
    struct Row {
        int hour, minute;
        const char* greeting;
    } rows[] = {{0, 0, "晚上好"},   {3, 59, "晚上好"},  {4, 0, "早上好"},   {8, 59, "早上好"},
                {9, 0, "上午好"},   {11, 29, "上午好"}, {11, 30, "中午好"}, {13, 29, "中午好"},
                {13, 30, "下午好"}, {17, 59, "下午好"}, {18, 0, "晚上好"},  {23, 59, "晚上好"}};
    for (const Row& row : rows)
        EXPECT_EQ(welcomeAt(row.hour, row.minute), row.greeting) << row.hour << ":" << row.minute;
}
