#pragma once

namespace tessel {

// The lunar months between two winter solstices (a "sui"): from the month
// that holds the winter solstice of one Gregorian year, which is always the
// eleventh month, up to the month before the one that holds the next winter
// solstice. Months begin on the civil day (China's time) of a new moon.
// When thirteen months fall in that span, the first one in which no major
// solar term begins is the leap month: it repeats the number of the month
// before it.
class LunarYear {
public:
    static constexpr int MAX_MONTHS = 13;

    struct Date {
        int month = 0;     // 1 to 12
        bool leap = false; // the month repeats the number of the one before
        int day = 0;       // 1 to 30
    };

    // The sui that begins with the eleventh month of `solsticeYear`.
    explicit LunarYear(int solsticeYear);

    // The first day and the day after the last (Julian Day Numbers).
    int firstDay() const { return starts_[0]; }
    int endDay() const { return starts_[count_]; }
    bool contains(int dayNumber) const { return dayNumber >= firstDay() && dayNumber < endDay(); }
    // 12 or 13.
    int monthCount() const { return count_; }
    // The position (0 = the eleventh month) of the leap month, -1 when none.
    int leapIndex() const { return leap_; }
    // The lunar date of a day inside the sui; a zero date outside it.
    Date dateOf(int dayNumber) const;

private:
    void _findLeapMonth(int solsticeYear);
    bool _holdsMajorTerm(int index, const int* termDays, int termCount) const;
    Date _monthAt(int index) const;

    int count_ = 0;
    int leap_ = -1;
    int starts_[MAX_MONTHS + 1] = {};
};

} // namespace tessel
