#pragma once

#include "tessel/core/Date.h"

namespace tessel {

// A local wall-clock time: a Julian Day Number and the milliseconds since
// midnight. No time zone is stored.
class DateTime : public Date {
public:
    DateTime() = default;
    DateTime(unsigned jdn, unsigned msOfDay) : Date(jdn), msOfDay_(static_cast<int>(msOfDay)) {}
    DateTime(int year, int month, int day);
    DateTime(int year, int month, int day, int hour, int minute, int second, int millisecond);
    // The local time of a time in seconds since 1970 (milliseconds 0).
    explicit DateTime(int64_t time);
    explicit DateTime(const char16_t* text);
    DateTime(const DateTime& other) : Date(other), msOfDay_(other.msOfDay_) {}
    DateTime& operator=(const DateTime& other)
    {
        Date::operator=(other);
        msOfDay_ = other.msOfDay_;
        return *this;
    }

    int getMsOfDay() const { return msOfDay_; }
    void setTime(int hour, int minute, int second, int millisecond);
    void getTime(int& hour, int& minute, int& second, int& millisecond) const;
    void setDateTime(int64_t time);
    void setLastMonth(int year, int month);
    void adjust(int days, int hours, int minutes, int seconds, int milliseconds);
    bool parseDateTime(const char16_t* text);

    int64_t toAnsiTime() const;
    void toAnsiTM(struct tm* out) const;
    String toString() const;
    String toGMTString() const;
    String toISOString() const;
    String format(const char16_t* format) const;

    static bool isValidTime(int hour, int minute, int second, int millisecond);
    static DateTime getSystemTime();
    // "%d-%02d-%02d %02d:%02d:%02d" of the local time of `time`.
    static String dateOf(int64_t time);

    // Days first, then the time of day; a plain Date counts as midnight.
    int compare(const Date& other) const override;

private:
    int msOfDay_ = 0;
};

} // namespace tessel
