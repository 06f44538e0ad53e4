// The astronomy under the calendar against worked examples and published
// instants.

#include <gtest/gtest.h>

#include "tessel/core/NewMoon.h"
#include "tessel/core/SolarTerms.h"
#include "tessel/core/TimeScale.h"

using namespace tessel;

namespace {

constexpr double MINUTE = 1.0 / 1440;

// The Julian Day of a moment in universal time.
double julianDay(int year, int month, int day, int hour, int minute)
{
    return TimeScale::dayNumber(year, month, day) - 0.5 + (hour + minute / 60.0) / 24;
}

} // namespace

TEST(CalendarAstronomy, MeeusWorkedExamples)
{
    // New moon of 1977 February 18, 3:37:42 dynamical time; the sun on
    // 1992 October 13.0 at 199°54'21.8".
    EXPECT_NEAR(NewMoon::instant(-283), 2443192.65118, 0.00001);
    EXPECT_NEAR(SolarTerms::apparentLongitude(2448908.5), 199.90606, 0.0001);
}

TEST(CalendarAstronomy, PublishedInstantsWithinAMinute)
{
    // Winter solstice 2024 at 09:20 UT, 2021 at 15:59 UT; 立春 2024 at
    // 08:27 UT; the new moon of 29 January 2025 at 12:36 UT.
    EXPECT_NEAR(TimeScale::universalOf(SolarTerms::instant(2024, 24)), julianDay(2024, 12, 21, 9, 20), MINUTE);
    EXPECT_NEAR(TimeScale::universalOf(SolarTerms::instant(2021, 24)), julianDay(2021, 12, 21, 15, 59), MINUTE);
    EXPECT_NEAR(TimeScale::universalOf(SolarTerms::instant(2024, 3)), julianDay(2024, 2, 4, 8, 27), MINUTE);
    int lunation = NewMoon::lastOnOrBefore(TimeScale::dayNumber(2025, 1, 29));
    EXPECT_NEAR(TimeScale::universalOf(NewMoon::instant(lunation)), julianDay(2025, 1, 29, 12, 36), MINUTE);
    EXPECT_EQ(NewMoon::day(lunation), TimeScale::dayNumber(2025, 1, 29));
}
