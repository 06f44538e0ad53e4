#include "tessel/core/LunarYear.h"

#include "tessel/core/NewMoon.h"
#include "tessel/core/SolarTerms.h"

namespace tessel {

namespace {

constexpr int WINTER_SOLSTICE = 24;
// The winter solstice of the first year, the eleven major terms 大寒 to 小雪
// of the next, and the next winter solstice.
constexpr int MAJOR_TERMS = 13;

} // namespace

LunarYear::LunarYear(int solsticeYear)
{
    int first = NewMoon::lastOnOrBefore(SolarTerms::day(solsticeYear, WINTER_SOLSTICE));
    int next = NewMoon::lastOnOrBefore(SolarTerms::day(solsticeYear + 1, WINTER_SOLSTICE));
    count_ = next - first;
    // A span of two solstices always holds 12 or 13 new moons; the clamp only
    // keeps a broken theory from writing past the table.
    if (count_ > MAX_MONTHS)
        count_ = MAX_MONTHS;
    for (int i = 0; i <= count_; i++)
        starts_[i] = NewMoon::day(first + i);
    if (count_ == MAX_MONTHS)
        _findLeapMonth(solsticeYear);
}

void LunarYear::_findLeapMonth(int solsticeYear)
{
    int termDays[MAJOR_TERMS];
    termDays[0] = SolarTerms::day(solsticeYear, WINTER_SOLSTICE);
    for (int i = 1; i < MAJOR_TERMS; i++)
        termDays[i] = SolarTerms::day(solsticeYear + 1, 2 * i);
    for (int i = 0; i < count_; i++) {
        if (!_holdsMajorTerm(i, termDays, MAJOR_TERMS)) {
            leap_ = i;
            return;
        }
    }
}

bool LunarYear::_holdsMajorTerm(int index, const int* termDays, int termCount) const
{
    for (int i = 0; i < termCount; i++) {
        if (termDays[i] >= starts_[index] && termDays[i] < starts_[index + 1])
            return true;
    }
    return false;
}

LunarYear::Date LunarYear::_monthAt(int index) const
{
    // Position 0 is the eleventh month, 1 the twelfth, 2 the first, ...; from
    // the leap month on, every month takes the number of the one before it.
    Date date;
    int counted = (leap_ >= 0 && index >= leap_) ? index - 1 : index;
    date.month = (counted + 10) % 12 + 1;
    date.leap = index == leap_;
    return date;
}

LunarYear::Date LunarYear::dateOf(int dayNumber) const
{
    if (!contains(dayNumber))
        return Date();
    int index = count_ - 1;
    while (starts_[index] > dayNumber)
        index--;
    Date date = _monthAt(index);
    date.day = dayNumber - starts_[index] + 1;
    return date;
}

} // namespace tessel
