#pragma once

#include <cstdint>
#include <ctime>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// A calendar date kept as its Julian Day Number (0 = no date; 1970-01-01 is
// 2440588), so that arithmetic and comparison are integer operations.
// Seconds since 1970 are 64-bit throughout.
class Date : public IObject {
public:
    static constexpr unsigned UNIX_EPOCH_JDN = 2440588;

    Date() = default;
    explicit Date(unsigned jdn) : jdn_(jdn) {}
    Date(int year, int month, int day);
    // The local calendar date of a time in seconds since 1970.
    explicit Date(int64_t time);
    explicit Date(const char16_t* text);
    Date(const Date& other) : IObject(), jdn_(other.jdn_) {}
    Date& operator=(const Date& other)
    {
        jdn_ = other.jdn_;
        return *this;
    }

    unsigned getJdn() const { return jdn_; }
    void setJdn(unsigned jdn) { jdn_ = jdn; }
    void setDate(int year, int month, int day);
    void getDate(int& year, int& month, int& day, int& weekday) const;
    void setLastMonth(int year, int month);
    bool isValid() const { return jdn_ > 0; }
    bool parseDate(const char16_t* text);

    int64_t toAnsiTime() const;
    void toAnsiTM(struct tm* out) const;
    String toString() const;
    String format(const char16_t* format) const;

    static bool isLeapYear(int year);
    static bool isValidDate(int year, int month, int day);
    static int dayOfWeek(int year, int month, int day);
    static Date getSystemDate();
    static int64_t ansiTime();
    // "%d-%02d-%02d" of the local date of `time`.
    static String dateOf(int64_t time);

    virtual int compare(const Date& other) const;
    virtual bool operator>(const Date& other) const { return compare(other) > 0; }
    virtual bool operator<(const Date& other) const { return compare(other) < 0; }
    virtual bool operator>=(const Date& other) const { return compare(other) >= 0; }
    virtual bool operator<=(const Date& other) const { return compare(other) <= 0; }
    virtual bool operator!=(const Date& other) const { return compare(other) != 0; }
    virtual bool operator==(const Date& other) const { return compare(other) == 0; }

protected:
    // What a date text said; see parseDate and parseDateTime.
    struct Fields {
        int year = 0, month = 0, day = 0;
        int hour = 0, minute = 0, second = 0;
        int zoneMinutes = 0;
        bool hasYear = false, hasMonth = false, hasDay = false;
        bool hasTime = false, hasZone = false, hasOffset = false;

        bool hasDate() const { return hasYear && hasMonth && hasDay; }
    };
    // Cuts the text into fields; false when the text is malformed.
    static bool _parseFields(const char16_t* text, Fields& fields);
    static unsigned _toJdn(int year, int month, int day);
    // The local calendar fields of a time in seconds since 1970.
    static bool _localTime(int64_t time, struct tm& out);
    static void _fillTM(unsigned jdn, int msOfDay, struct tm* out);
    // The directives of wcsftime in the C locale, plus "%n" (month) and
    // "%e" (day of the month) without a leading zero and "%z" (the
    // machine's zone as "+hh00", "-hh00" or "GMT").
    static String _formatTM(const struct tm& fields, const char16_t* format);

    unsigned jdn_ = 0;
};

} // namespace tessel
