#include "tessel/core/Calendar.h"

#include <cstdarg>
#include <ctime>
#include <optional>
#include <string>

#include "tessel/core/Formatter.h"
#include "tessel/core/LunarYear.h"
#include "tessel/core/SolarTerms.h"
#include "tessel/core/System.h"
#include "tessel/core/TimeScale.h"

namespace tessel {

const char16_t* const tiangan[10] = {
    u"甲", u"乙", u"丙", u"丁", u"戊", u"己", u"庚", u"辛", u"壬", u"癸",
};

const char16_t* const dizhi[12] = {
    u"子", u"丑", u"寅", u"卯", u"辰", u"巳", u"午", u"未", u"申", u"酉", u"戌", u"亥",
};

const char16_t* const jieqi[25] = {
    u"",     u"小寒", u"大寒", u"立春", u"雨水", u"惊蛰", u"春分", u"清明", u"谷雨", u"立夏", u"小满", u"芒种", u"夏至",
    u"小暑", u"大暑", u"立秋", u"处暑", u"白露", u"秋分", u"寒露", u"霜降", u"立冬", u"小雪", u"大雪", u"冬至",
};

const char16_t* const monnames[13] = {
    u"", u"正月", u"二月", u"三月", u"四月", u"五月", u"六月", u"七月", u"八月", u"九月", u"十月", u"十一月", u"十二月",
};

const char16_t* const datenames[31] = {
    u"",     u"初一", u"初二", u"初三", u"初四", u"初五", u"初六", u"初七", u"初八", u"初九", u"初十",
    u"十一", u"十二", u"十三", u"十四", u"十五", u"十六", u"十七", u"十八", u"十九", u"二十", u"廿一",
    u"廿二", u"廿三", u"廿四", u"廿五", u"廿六", u"廿七", u"廿八", u"廿九", u"三十",
};

const char16_t* const weeknames[7] = {
    u"日", u"一", u"二", u"三", u"四", u"五", u"六",
};

namespace {

constexpr int SUNDAY = 0;

bool clockStopped = false;
int64_t stoppedAt = 0;

struct tm localNow()
{
    time_t seconds = static_cast<time_t>(Calendar::now());
    struct tm local = {};
    localtime_r(&seconds, &local);
    return local;
}

int monthCode(int year, int month)
{
    return year * 100 + month;
}

dateinfo pack(const LunarYear::Date& lunar, int weekday, int year)
{
    int cycle = year - 4;
    return static_cast<dateinfo>(lunar.day) | static_cast<dateinfo>(lunar.leap ? 1 : 0) << 8 |
           static_cast<dateinfo>(weekday) << 9 | static_cast<dateinfo>(lunar.month) << 12 |
           static_cast<dateinfo>(cycle % 12) << 16 | static_cast<dateinfo>(cycle % 10) << 20;
}

dateinfo withSolarTerm(dateinfo word, int term)
{
    return word | static_cast<dateinfo>(term) << 24;
}

} // namespace

Calendar::Calendar()
{
    struct tm local = localNow();
    if (SetMonth(local.tm_year + 1900, local.tm_mon))
        day_ = local.tm_mday;
}

Calendar& Calendar::instance()
{
    // Held by one reference, so that a host's AddRef and Release pairs never
    // bring the count to zero; the reference goes at process exit.
    static Ref<Calendar> shared(new Calendar());
    return *shared;
}

void Calendar::setNow(int64_t seconds)
{
    clockStopped = true;
    stoppedAt = seconds;
}

void Calendar::useSystemClock()
{
    clockStopped = false;
}

int64_t Calendar::now()
{
    return clockStopped ? stoppedAt : System::currentTime();
}

bool Calendar::isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int Calendar::daysInMonth(int year, int month0)
{
    static constexpr int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month0 < 0 || month0 > 11)
        return 0;
    return DAYS[month0] + (month0 == 1 && isLeapYear(year) ? 1 : 0);
}

int Calendar::SetMonth(int year, int month0)
{
    if (year < MIN_YEAR || year > MAX_YEAR || month0 < 0 || month0 > 11)
        return 0;
    int first = TimeScale::dayNumber(year, month0 + 1, 1);
    int count = daysInMonth(year, month0);
    // The days of a Gregorian year, and the first day of the next, lie in the
    // sui that begins at the previous winter solstice or in the one that
    // begins at this year's; the second is needed in November and December.
    LunarYear earlier(year - 1);
    std::optional<LunarYear> later;
    if (!earlier.contains(first + count))
        later.emplace(year);
    int weekday = (first + 1) % 7;
    for (int i = 0; i <= count; i++) {
        int dayNumber = first + i;
        const LunarYear& sui = earlier.contains(dayNumber) ? earlier : *later;
        dateinfo word = pack(sui.dateOf(dayNumber), (weekday + i) % 7, year);
        if (i < count)
            days_[i] = word;
        else
            nextMonthFirst_ = word;
    }
    // Every Gregorian month holds exactly two solar terms, the (2 × month0 +
    // 1)th and the next, each on the civil day its instant falls on.
    for (int term = 2 * month0 + 1; term <= 2 * month0 + 2; term++) {
        int offset = SolarTerms::day(year, term) - first;
        if (offset >= 0 && offset < count)
            days_[offset] = withSolarTerm(days_[offset], term);
    }
    for (int i = count; i < 31; i++)
        days_[i] = 0;
    year_ = year;
    month0_ = month0;
    monthDays_ = count;
    if (day_ > count)
        day_ = count;
    if (day_ < 1)
        day_ = 1;
    return 1;
}

dateinfo Calendar::GetDay(int day) const
{
    if (day < 1 || day > monthDays_)
        return 0;
    return days_[day - 1];
}

int Calendar::theMonth() const
{
    struct tm local = localNow();
    return monthCode(local.tm_year + 1900, local.tm_mon + 1);
}

int Calendar::nextMonth() const
{
    return month0_ == 11 ? monthCode(year_ + 1, 1) : monthCode(year_, month0_ + 2);
}

int Calendar::priorMonth() const
{
    return month0_ == 0 ? monthCode(year_ - 1, 12) : monthCode(year_, month0_);
}

int Calendar::nextYear() const
{
    return monthCode(year_ + 1, month0_ + 1);
}

int Calendar::priorYear() const
{
    return monthCode(year_ - 1, month0_ + 1);
}

const char16_t* Calendar::today(bool withWeekday)
{
    struct tm local = localNow();
    int year = local.tm_year + 1900;
    if (withWeekday)
        return _write(u"%04d年%02d月%02d日 星期%s", year, local.tm_mon + 1, local.tm_mday, weeknames[local.tm_wday]);
    return _write(u"%04d年%02d月%02d日", year, local.tm_mon + 1, local.tm_mday);
}

const char16_t* Calendar::DayString(int day, int mode)
{
    if (monthDays_ == 0)
        return nullptr;
    if (day != 0) {
        if (day < 1 || day > monthDays_)
            return nullptr;
        day_ = day;
    }
    dateinfo word = GetDay(day_);
    const char16_t* month = monnames[lunarMonthOf(word)];
    const char16_t* date = datenames[lunarDayOf(word)];
    const char16_t* term = jieqi[solarTermOf(word)];
    if (mode == 1)
        return _write(u"%s%s年 %s%s %s", tiangan[stemOf(word)], dizhi[branchOf(word)], month, date, term);
    if (mode == 2)
        return _write(u"<big>%d</big><small>%s</small>", day_, _label(day_));
    return _write(u"农历 %s%s %s", month, date, term);
}

const char16_t* Calendar::MonthString()
{
    if (monthDays_ == 0)
        return nullptr;
    dateinfo word = GetDay(day_);
    return _write(u"%s%s年%s", tiangan[stemOf(word)], dizhi[branchOf(word)], monnames[lunarMonthOf(word)]);
}

const char16_t* Calendar::getWelcome()
{
    struct tm local = localNow();
    int minutes = local.tm_hour * 60 + local.tm_min;
    if (minutes < 240)
        return _write(u"晚上好");
    if (minutes < 540)
        return _write(u"早上好");
    if (minutes < 690)
        return _write(u"上午好");
    if (minutes < 810)
        return _write(u"中午好");
    if (minutes < 1080)
        return _write(u"下午好");
    return _write(u"晚上好");
}

dateinfo Calendar::_following(int day) const
{
    return day < monthDays_ ? days_[day] : nextMonthFirst_;
}

const char16_t* Calendar::_label(int day) const
{
    if (const char16_t* festival = _festival(day))
        return festival;
    if (const char16_t* holiday = _holiday(day))
        return holiday;
    dateinfo word = GetDay(day);
    if (solarTermOf(word))
        return jieqi[solarTermOf(word)];
    if (lunarDayOf(word) == 1)
        return monnames[lunarMonthOf(word)];
    return datenames[lunarDayOf(word)];
}

// The lunar festivals. A leap month repeats a month's number but not its
// festivals, and New Year's Eve is the day before the first of the first
// month, whether the twelfth month has 29 days or 30.
const char16_t* Calendar::_festival(int day) const
{
    dateinfo word = GetDay(day);
    dateinfo next = _following(day);
    if (!isLeapMonthOf(next) && lunarMonthOf(next) == 1 && lunarDayOf(next) == 1)
        return u"除夕";
    if (isLeapMonthOf(word))
        return nullptr;
    int month = lunarMonthOf(word);
    int date = lunarDayOf(word);
    if (month == 5 && date == 5)
        return u"端午节";
    if (month == 8 && date == 15)
        return u"中秋节";
    return nullptr;
}

// The holidays of the Gregorian calendar, fixed or on a Sunday of a week.
const char16_t* Calendar::_holiday(int day) const
{
    bool sunday = weekdayOf(GetDay(day)) == SUNDAY;
    switch (month0_ + 1) {
    case 1: return day == 1 ? u"元旦" : nullptr;
    case 2: return day == 14 ? u"情人节" : nullptr;
    case 3: return day == 8 ? u"妇女节" : nullptr;
    case 5:
        if (day == 1)
            return u"劳动节";
        return sunday && day >= 8 && day <= 14 ? u"母亲节" : nullptr;
    case 6:
        if (day == 1)
            return u"儿童节";
        return sunday && day >= 15 && day <= 21 ? u"父亲节" : nullptr;
    case 9: return day == 10 ? u"教师节" : nullptr;
    case 10: return day == 1 ? u"国庆节" : nullptr;
    case 12: return day == 25 ? u"圣诞节" : nullptr;
    default: return nullptr;
    }
}

const char16_t* Calendar::_write(const char16_t* format, ...)
{
    std::u16string text;
    va_list args;
    va_start(args, format);
    Formatter::append(text, format, args);
    va_end(args);
    size_t count = text.size() < TEXT_SIZE - 1 ? text.size() : TEXT_SIZE - 1;
    text.copy(text_, count);
    text_[count] = 0;
    return text_;
}

} // namespace tessel
