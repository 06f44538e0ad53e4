#include "tessel/core/DateTime.h"

#include <climits>
#include <time.h>

namespace tessel {

namespace {

const int64_t MS_PER_DAY = 86400000;

int clampToInt(int64_t value)
{
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// Milliseconds of a time of day; the result wraps like the 32-bit field it
// is stored in, rather than overflowing.
int toMilliseconds(int64_t hour, int64_t minute, int64_t second, int64_t millisecond)
{
    uint64_t ms = static_cast<uint64_t>(((hour * 60 + minute) * 60 + second) * 1000 + millisecond);
    return static_cast<int>(static_cast<uint32_t>(ms));
}

} // namespace

DateTime::DateTime(int year, int month, int day) : Date(year, month, day) {}

DateTime::DateTime(int year, int month, int day, int hour, int minute, int second, int millisecond)
    : Date(year, month, day)
{
    setTime(hour, minute, second, millisecond);
}

DateTime::DateTime(int64_t time)
{
    setDateTime(time);
}

DateTime::DateTime(const char16_t* text)
{
    parseDateTime(text);
}

void DateTime::setTime(int hour, int minute, int second, int millisecond)
{
    msOfDay_ = toMilliseconds(hour, minute, second, millisecond);
}

void DateTime::getTime(int& hour, int& minute, int& second, int& millisecond) const
{
    hour = msOfDay_ / 3600000;
    minute = msOfDay_ / 60000 % 60;
    second = msOfDay_ / 1000 % 60;
    millisecond = msOfDay_ % 1000;
}

void DateTime::setDateTime(int64_t time)
{
    struct tm local;
    if (!_localTime(time, local))
        return;
    setDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    setTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
}

void DateTime::setLastMonth(int year, int month)
{
    Date::setLastMonth(year, month);
}

void DateTime::adjust(int days, int hours, int minutes, int seconds, int milliseconds)
{
    int64_t shift = ((int64_t(hours) * 60 + minutes) * 60 + seconds) * 1000 + milliseconds;
    int64_t dayShift = int64_t(days) + shift / MS_PER_DAY;
    int64_t ms = int64_t(msOfDay_) + shift % MS_PER_DAY;
    // Carry whole days into the date in either direction.
    dayShift += ms / MS_PER_DAY;
    ms %= MS_PER_DAY;
    if (ms < 0) {
        ms += MS_PER_DAY;
        dayShift--;
    }
    jdn_ = static_cast<unsigned>(int64_t(jdn_) + dayShift);
    msOfDay_ = static_cast<int>(ms);
}

bool DateTime::isValidTime(int hour, int minute, int second, int millisecond)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && millisecond >= 0 &&
           millisecond < 1000;
}

bool DateTime::parseDateTime(const char16_t* text)
{
    Fields fields;
    if (!_parseFields(text, fields))
        return false;
    if (!fields.hasTime && !fields.hasDate())
        return false;
    if (fields.hasTime && !isValidTime(fields.hour, fields.minute, fields.second, 0))
        return false;
    if (fields.hasDate() && !isValidDate(fields.year, fields.month, fields.day))
        return false;
    if (fields.hasDate())
        setDate(fields.year, fields.month, fields.day);
    if (fields.hasTime)
        setTime(fields.hour, fields.minute, fields.second, 0);
    // Zone-qualified texts give the time in zone 0.
    if (fields.hasZone && fields.zoneMinutes != 0)
        adjust(0, 0, -fields.zoneMinutes, 0, 0);
    return true;
}

int64_t DateTime::toAnsiTime() const
{
    if (!jdn_)
        return 0;
    return msOfDay_ / 1000 + (int64_t(jdn_) - UNIX_EPOCH_JDN) * 86400;
}

void DateTime::toAnsiTM(struct tm* out) const
{
    if (jdn_ && out)
        _fillTM(jdn_, msOfDay_, out);
}

String DateTime::format(const char16_t* format) const
{
    if (!jdn_ || !format)
        return String();
    struct tm fields;
    toAnsiTM(&fields);
    return _formatTM(fields, format);
}

String DateTime::toString() const
{
    return format(u"%a, %d %b %Y %H:%M:%S");
}

String DateTime::toGMTString() const
{
    return format(u"%a, %d %b %Y %H:%M:%S %z");
}

String DateTime::toISOString() const
{
    return format(u"%Y-%m-%d %H:%M:%S");
}

DateTime DateTime::getSystemTime()
{
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    DateTime result(static_cast<int64_t>(now.tv_sec));
    result.msOfDay_ += static_cast<int>(now.tv_nsec / 1000000);
    return result;
}

String DateTime::dateOf(int64_t time)
{
    struct tm local;
    if (!_localTime(time, local))
        return String();
    String text;
    text.format(u"%d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec);
    return text;
}

int DateTime::compare(const Date& other) const
{
    if (this == &other)
        return 0;
    if (jdn_ != other.getJdn())
        return Date::compare(other);
    const DateTime* time = dynamic_cast<const DateTime*>(&other);
    // The time of day compares as an unsigned number, as the field is.
    int64_t otherMs = time ? static_cast<uint32_t>(time->msOfDay_) : 0;
    return clampToInt(int64_t(static_cast<uint32_t>(msOfDay_)) - otherMs);
}

} // namespace tessel
