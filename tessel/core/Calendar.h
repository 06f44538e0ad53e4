#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"

namespace tessel {

// One day of a laid-out month, packed into 32 bits:
//   bits 0-7   lunar day of the month, 1 to 30
//   bit  8     set in a leap lunar month
//   bits 9-11  weekday, 0 = Sunday to 6 = Saturday
//   bits 12-15 lunar month, 1 to 12
//   bits 16-19 earthly branch of the year, (Gregorian year - 4) mod 12
//   bits 20-23 heavenly stem of the year, (Gregorian year - 4) mod 10
//   bits 24-31 solar term 1 to 24 beginning that day, else 0
// The stem and branch follow the Gregorian year of the month shown.
using dateinfo = uint32_t;

// Names, indexed as the fields of a dateinfo.
extern const char16_t* const tiangan[10];
extern const char16_t* const dizhi[12];
extern const char16_t* const jieqi[25];
extern const char16_t* const monnames[13];
extern const char16_t* const datenames[31];
extern const char16_t* const weeknames[7];

// Lays out one Gregorian month with the Chinese lunar date, the weekday, the
// solar term and the year's stem and branch of every day, and writes short
// Chinese texts about it for the host's pages. Lunar months begin on the day
// of a new moon in China's time (UTC+8) and solar terms on the day their
// instant falls on there; both come from published theories of the Sun and
// the Moon (see SolarTerms and NewMoon), which the calendar trusts for the
// years MIN_YEAR to MAX_YEAR.
//
// Every text operation writes into one buffer of TEXT_SIZE units, which the
// next text operation overwrites.
//
// "Now" is read from a clock that tests can stop at a fixed instant
// (setNow); by default it is the system clock, read in local time.
class Calendar : public IObject {
public:
    // The almanac rules this layout follows (true solar terms) hold from
    // 1645 on. After 2100 the difference between dynamical and universal
    // time is only an extrapolation, which could move a new moon close to
    // midnight onto the wrong day.
    static constexpr int MIN_YEAR = 1645;
    static constexpr int MAX_YEAR = 2100;
    static constexpr int TEXT_SIZE = 64;

    // Lays out the current local month, with today as the current day.
    Calendar();
    ~Calendar() override = default;

    // The process-wide calendar, built on first use.
    static Calendar& instance();

    // The clock: seconds since 1970. setNow stops it at `seconds`;
    // useSystemClock lets it run again.
    static void setNow(int64_t seconds);
    static void useSystemClock();
    static int64_t now();

    // Lays out `month0` (0 = January) of `year`; 0, with the previous layout
    // kept, when the year is outside MIN_YEAR..MAX_YEAR or the month outside
    // 0..11, else 1. The current day stays, cut to the new month's length.
    int SetMonth(int year, int month0);
    // The word of day 1..getMonthDays(); 0 when out of range or when no
    // month is laid out.
    dateinfo GetDay(int day) const;

    int getYear() const { return year_; }
    // 1 to 12, unlike the argument of SetMonth.
    int getMonth() const { return month0_ + 1; }
    int getDay() const { return day_; }
    int getMonthDays() const { return monthDays_; }

    // Months as year × 100 + month (1 to 12): the current local month, and
    // the laid-out month's neighbours.
    int theMonth() const;
    int nextMonth() const;
    int priorMonth() const;
    int nextYear() const;
    int priorYear() const;

    // "2024年02月10日", with withWeekday "2024年02月10日 星期六".
    const char16_t* today(bool withWeekday);
    // A text about `day` (0 = the current day; any other valid day becomes
    // the current day), or null when the day is outside the month:
    //   mode 1: year's stem and branch, lunar month and day, solar term
    //   mode 2: a month-view cell with the day and its festival, solar term
    //           or lunar day
    //   others: "农历", lunar month and day, solar term
    const char16_t* DayString(int day, int mode);
    // The year's stem and branch and the current day's lunar month.
    const char16_t* MonthString();
    // A greeting for the local time of day.
    const char16_t* getWelcome();

    // The fields of a day word.
    static int lunarDayOf(dateinfo d) { return d & 0xFF; }
    static bool isLeapMonthOf(dateinfo d) { return (d >> 8) & 1; }
    static int weekdayOf(dateinfo d) { return (d >> 9) & 7; }
    static int lunarMonthOf(dateinfo d) { return (d >> 12) & 0xF; }
    static int branchOf(dateinfo d) { return (d >> 16) & 0xF; }
    static int stemOf(dateinfo d) { return (d >> 20) & 0xF; }
    static int solarTermOf(dateinfo d) { return (d >> 24) & 0xFF; }

    static bool isLeapYear(int year);
    static int daysInMonth(int year, int month0);

private:
    dateinfo _following(int day) const;
    const char16_t* _label(int day) const;
    const char16_t* _festival(int day) const;
    const char16_t* _holiday(int day) const;
    const char16_t* _write(const char16_t* format, ...);

    int day_ = 0;
    int year_ = 0;
    int month0_ = -1;
    int monthDays_ = 0;
    dateinfo days_[31] = {};
    // The first day of the next month, which tells whether the last day of
    // this one ends the lunar year.
    dateinfo nextMonthFirst_ = 0;
    char16_t text_[TEXT_SIZE] = {};
};

} // namespace tessel
