// The layout against facts published in the Chinese almanacs (Purple
// Mountain Observatory): Spring Festivals, leap months, solar-term days.

#include <gtest/gtest.h>

#include <set>

#include "tessel/core/Calendar.h"

using namespace tessel;

namespace {

struct Day {
    int year;
    int month; // 1 to 12
    int day;
};

dateinfo wordOf(Calendar& calendar, Day d)
{
    EXPECT_EQ(calendar.SetMonth(d.year, d.month - 1), 1) << d.year << "-" << d.month;
    return calendar.GetDay(d.day);
}

bool isLunarNewYear(dateinfo word)
{
    return Calendar::lunarMonthOf(word) == 1 && Calendar::lunarDayOf(word) == 1 && !Calendar::isLeapMonthOf(word);
}

// The numbers of the leap months that begin in a Gregorian year.
std::set<int> leapMonthsBeginningIn(Calendar& calendar, int year)
{
    std::set<int> found;
    for (int month0 = 0; month0 < 12; month0++) {
        calendar.SetMonth(year, month0);
        for (int day = 1; day <= calendar.getMonthDays(); day++) {
            dateinfo word = calendar.GetDay(day);
            if (Calendar::isLeapMonthOf(word) && Calendar::lunarDayOf(word) == 1)
                found.insert(Calendar::lunarMonthOf(word));
        }
    }
    return found;
}

} // namespace

TEST(CalendarSpringFestival, EveryYearFrom2000To2030)
{
    const Day festivals[] = {
        {2000, 2, 5},  {2001, 1, 24}, {2002, 2, 12}, {2003, 2, 1},  {2004, 1, 22}, {2005, 2, 9},  {2006, 1, 29},
        {2007, 2, 18}, {2008, 2, 7},  {2009, 1, 26}, {2010, 2, 14}, {2011, 2, 3},  {2012, 1, 23}, {2013, 2, 10},
        {2014, 1, 31}, {2015, 2, 19}, {2016, 2, 8},  {2017, 1, 28}, {2018, 2, 16}, {2019, 2, 5},  {2020, 1, 25},
        {2021, 2, 12}, {2022, 2, 1},  {2023, 1, 22}, {2024, 2, 10}, {2025, 1, 29}, {2026, 2, 17}, {2027, 2, 6},
        {2028, 1, 26}, {2029, 2, 13}, {2030, 2, 3},
    };
    Calendar calendar;
    for (const Day& festival : festivals) {
        // The only first day of the first month in January and February.
        int found = 0;
        for (int month0 = 0; month0 < 2; month0++) {
            calendar.SetMonth(festival.year, month0);
            for (int day = 1; day <= calendar.getMonthDays(); day++) {
                if (isLunarNewYear(calendar.GetDay(day))) {
                    EXPECT_EQ(month0 + 1, festival.month) << festival.year;
                    EXPECT_EQ(day, festival.day) << festival.year;
                    found++;
                }
            }
        }
        EXPECT_EQ(found, 1) << festival.year;
    }
}

TEST(CalendarSpringFestival, NewMoonInTheEveningStartsTheMonthThatDay)
{
    // The new moons of 29 January 2025 and 24 January 2001 came at about
    // 20:36 and 21:07 Beijing time.
    Calendar calendar;
    EXPECT_TRUE(isLunarNewYear(wordOf(calendar, {2025, 1, 29})));
    EXPECT_EQ(Calendar::lunarDayOf(wordOf(calendar, {2025, 1, 28})), 29);
    EXPECT_TRUE(isLunarNewYear(wordOf(calendar, {2001, 1, 24})));
}

TEST(CalendarLeapMonth, PublishedLeapMonthsFrom2000To2034)
{
    const struct {
        int year;
        int month;
    } leaps[] = {
        {2001, 4}, {2004, 2}, {2006, 7}, {2009, 5}, {2012, 4}, {2014, 9},  {2017, 6},
        {2020, 4}, {2023, 2}, {2025, 6}, {2028, 5}, {2031, 3}, {2033, 11},
    };
    Calendar calendar;
    for (int year = 2000; year <= 2034; year++) {
        std::set<int> expected;
        for (const auto& leap : leaps) {
            if (leap.year == year)
                expected.insert(leap.month);
        }
        EXPECT_EQ(leapMonthsBeginningIn(calendar, year), expected) << year;
    }
}

TEST(CalendarSolarTerms, TermBelongsToTheBeijingDayOfItsInstant)
{
    Calendar calendar;
    // 立春 2024 at 16:27 and 冬至 2024 at 17:20: afternoon, still that day.
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2024, 2, 4})), 3);
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2024, 12, 21})), 24);
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2024, 12, 22})), 0);
    // 冬至 2021 at 23:59.
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2021, 12, 21})), 24);
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2021, 12, 22})), 0);
    // 清明 2023 in the morning.
    EXPECT_EQ(Calendar::solarTermOf(wordOf(calendar, {2023, 4, 5})), 7);
}
