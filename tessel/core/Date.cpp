#include "tessel/core/Date.h"

#include <climits>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <locale.h>
#include <string>
#include <string_view>

#include "tessel/core/Character.h"

namespace tessel {

namespace {

const int64_t SECONDS_PER_DAY = 86400;
const char16_t MONTH_NAMES[] = u"JANFEBMARAPRMAYJUNJULAUGSEPOCTNOVDEC";
const char16_t ZONE_NAMES[] = u"GMTUTCUCTESTEDTCSTCDTMSTMDTPSTPDT";
const int ZONE_HOURS[] = {0, 0, 0, -5, -4, -6, -5, -7, -6, -8, -7};

int daysInMonth(int year, int month)
{
    static const int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && Date::isLeapYear(year))
        return 29;
    return lengths[month - 1];
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool allDigits(std::u16string_view text)
{
    if (text.empty())
        return false;
    for (char16_t c : text)
        if (!isDigit(c))
            return false;
    return true;
}

// A leading decimal number, as the C runtime's atoi reads it: blanks, a
// sign, digits; clamped to the range of int.
int integerOf(std::u16string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] <= 32)
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    int64_t value = 0;
    for (; i < text.size() && isDigit(text[i]); i++) {
        value = value * 10 + (text[i] - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

// Index of a three-letter name in a table of such names, or -1.
int indexIn(const char16_t* table, std::u16string_view name)
{
    for (int i = 0; table[i * 3]; i++)
        if (name.substr(0, 3) == std::u16string_view(table + i * 3, 3))
            return i;
    return -1;
}

// Splits at every `separator`, keeping empty parts; the result is the number
// of parts, of which the first `capacity` are stored.
size_t splitInto(std::u16string_view text, char16_t separator, std::u16string_view* parts, size_t capacity)
{
    size_t count = 0;
    for (;;) {
        size_t at = text.find(separator);
        if (count < capacity)
            parts[count] = text.substr(0, at);
        count++;
        if (at == std::u16string_view::npos)
            return count;
        text.remove_prefix(at + 1);
    }
}

// "YYYY-MM-DD": exactly three numeric parts.
bool parseDatePart(std::u16string_view token, int& year, int& month, int& day)
{
    std::u16string_view parts[3];
    if (splitInto(token, u'-', parts, 3) != 3)
        return false;
    for (const auto& part : parts)
        if (!allDigits(part))
            return false;
    year = integerOf(parts[0]);
    month = integerOf(parts[1]);
    day = integerOf(parts[2]);
    return true;
}

// "HH:MM" or "HH:MM:SS"; each part must start with a digit, and whatever
// follows the digits of the seconds ("00.250", "00Z") is ignored.
bool parseTimePart(std::u16string_view token, int& hour, int& minute, int& second)
{
    std::u16string_view parts[3];
    size_t count = splitInto(token, u':', parts, 3);
    if (count < 2)
        return false;
    size_t used = count < 3 ? count : 3;
    for (size_t i = 0; i < used; i++)
        if (parts[i].empty() || !isDigit(parts[i][0]))
            return false;
    hour = integerOf(parts[0]);
    minute = integerOf(parts[1]);
    second = used > 2 ? integerOf(parts[2]) : 0;
    return true;
}

// "+hhmm" or "-hhmm" as minutes east of zone 0.
bool parseOffset(std::u16string_view token, int& minutes)
{
    if (token.size() != 5 || !allDigits(token.substr(1)))
        return false;
    int hours = integerOf(token.substr(1, 2));
    int rest = integerOf(token.substr(3, 2));
    if (hours > 23 || rest > 59)
        return false;
    minutes = hours * 60 + rest;
    if (token[0] == u'-')
        minutes = -minutes;
    return true;
}

// Upper case, "/" as "-", and a "T" between two digits (as in
// "2011-05-03T10:00") as a space.
std::u16string normalised(const char16_t* text)
{
    std::u16string out;
    for (const char16_t* p = text; *p; p++) {
        char16_t c = Character::toUpper(*p);
        if (c == u'/')
            c = u'-';
        else if (c == u'T' && p > text && isDigit(p[-1]) && isDigit(p[1]))
            c = u' ';
        out.push_back(c);
    }
    return out;
}

locale_t cLocale()
{
    static locale_t locale = newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

// "%c%02d00" of the machine's offset in whole hours, or "GMT" for zone 0.
// Looked up once per process.
const std::u16string& zoneText()
{
    static const std::u16string text = [] {
        struct tm now;
        time_t t = time(nullptr);
        long hours = localtime_r(&t, &now) ? now.tm_gmtoff / 3600 : 0;
        if (hours == 0)
            return std::u16string(u"GMT");
        std::u16string zone(1, hours < 0 ? u'-' : u'+');
        long magnitude = hours < 0 ? -hours : hours;
        zone.push_back(static_cast<char16_t>(u'0' + magnitude / 10));
        zone.push_back(static_cast<char16_t>(u'0' + magnitude % 10));
        zone.append(u"00");
        return zone;
    }();
    return text;
}

void appendNumber(std::wstring& out, int value)
{
    for (wchar_t c : std::to_wstring(value))
        out.push_back(c);
}

} // namespace

// ---------------------------------------------------------------- day numbers

unsigned Date::_toJdn(int year, int month, int day)
{
    int64_t y = year, m = month, d = day;
    int64_t a = (m - 14) / 12;
    int64_t jdn = 1461 * (y + 4800 + a) / 4 + 367 * (m - 2 - 12 * a) / 12 - 3 * ((y + 4900 + a) / 100) / 4 + d - 32075;
    return static_cast<unsigned>(jdn);
}

Date::Date(int year, int month, int day)
{
    setDate(year, month, day);
}

Date::Date(int64_t time)
{
    struct tm local;
    if (_localTime(time, local))
        setDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

Date::Date(const char16_t* text)
{
    parseDate(text);
}

void Date::setDate(int year, int month, int day)
{
    jdn_ = _toJdn(year, month, day);
}

void Date::getDate(int& year, int& month, int& day, int& weekday) const
{
    int64_t l = int64_t(jdn_) + 68569;
    int64_t n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    int64_t i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    int64_t j = 80 * l / 2447;
    day = static_cast<int>(l - 2447 * j / 80);
    l = j / 11;
    month = static_cast<int>(j + 2 - 12 * l);
    year = static_cast<int>(100 * (n - 49) + i + l);
    weekday = static_cast<int>((int64_t(jdn_) + 1) % 7);
}

void Date::setLastMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return;
    setDate(year, month, daysInMonth(year, month));
}

bool Date::isLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool Date::isValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

int Date::dayOfWeek(int year, int month, int day)
{
    int64_t y = year, m = month;
    if (m < 3) {
        y -= 1;
        m += 12;
    }
    int64_t result = (y + y / 4 - y / 100 + y / 400 + (13 * m - 27) / 5 + day) % 7;
    return static_cast<int>(result < 0 ? result + 7 : result);
}

// ------------------------------------------------------------------ the clock

bool Date::_localTime(int64_t time, struct tm& out)
{
    time_t t = static_cast<time_t>(time);
    return localtime_r(&t, &out) != nullptr;
}

int64_t Date::ansiTime()
{
    return static_cast<int64_t>(::time(nullptr));
}

Date Date::getSystemDate()
{
    return Date(ansiTime());
}

String Date::dateOf(int64_t time)
{
    struct tm local;
    if (!_localTime(time, local))
        return String();
    String text;
    text.format(u"%d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    return text;
}

int64_t Date::toAnsiTime() const
{
    return (int64_t(jdn_) - UNIX_EPOCH_JDN) * SECONDS_PER_DAY;
}

void Date::_fillTM(unsigned jdn, int msOfDay, struct tm* out)
{
    std::memset(out, 0, sizeof(*out));
    Date date(jdn);
    int year, month, day, weekday;
    date.getDate(year, month, day, weekday);
    out->tm_year = year - 1900;
    out->tm_mon = month - 1;
    out->tm_mday = day;
    out->tm_wday = weekday;
    out->tm_yday = static_cast<int>(int64_t(jdn) - _toJdn(year, 1, 1));
    out->tm_hour = msOfDay / 3600000;
    out->tm_min = msOfDay / 60000 % 60;
    out->tm_sec = msOfDay / 1000 % 60;
    out->tm_isdst = -1;
}

void Date::toAnsiTM(struct tm* out) const
{
    if (out)
        _fillTM(jdn_, 0, out);
}

// ----------------------------------------------------------------- formatting

String Date::_formatTM(const struct tm& fields, const char16_t* format)
{
    // Our own directives first, then wcsftime for the rest.
    std::wstring pattern;
    for (const char16_t* p = format; *p; p++) {
        if (*p != u'%') {
            pattern.push_back(static_cast<wchar_t>(*p));
            continue;
        }
        char16_t directive = p[1];
        if (directive == u'n')
            appendNumber(pattern, fields.tm_mon + 1);
        else if (directive == u'e')
            appendNumber(pattern, fields.tm_mday);
        else if (directive == u'z')
            pattern.append(zoneText().begin(), zoneText().end());
        else if (directive) {
            pattern.push_back(L'%');
            pattern.push_back(static_cast<wchar_t>(directive));
        } else {
            // A lone "%" at the end stands for itself.
            pattern.append(L"%%");
            break;
        }
        p++;
    }
    // wcsftime gives 0 both for an empty result and for one that did not
    // fit; a trailing space tells them apart.
    pattern.push_back(L' ');
    std::wstring out(pattern.size() * 4 + 64, L'\0');
    for (;;) {
        size_t n = wcsftime_l(out.data(), out.size(), pattern.c_str(), &fields, cLocale());
        if (n > 0) {
            out.resize(n - 1);
            break;
        }
        if (out.size() > (size_t(1) << 24))
            return String();
        out.resize(out.size() * 2);
    }
    String text(static_cast<int>(out.size()) + 1);
    for (wchar_t c : out)
        text.append(static_cast<char16_t>(c));
    return text;
}

String Date::format(const char16_t* format) const
{
    if (!jdn_ || !format)
        return String();
    struct tm fields;
    toAnsiTM(&fields);
    return _formatTM(fields, format);
}

String Date::toString() const
{
    return format(u"%Y-%m-%d");
}

// -------------------------------------------------------------------- parsing

bool Date::_parseFields(const char16_t* text, Fields& fields)
{
    if (!text)
        return false;
    std::u16string upper = normalised(text);
    std::u16string_view rest(upper);
    while (!rest.empty()) {
        size_t end = rest.find_first_of(u", ");
        std::u16string_view token = rest.substr(0, end);
        rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 1);
        if (token.empty())
            continue;
        if (token.find(u'-', 1) != std::u16string_view::npos) {
            if (!parseDatePart(token, fields.year, fields.month, fields.day))
                return false;
            fields.hasYear = fields.hasMonth = fields.hasDay = true;
            continue;
        }
        if (token.find(u':', 1) != std::u16string_view::npos) {
            if (fields.hasTime || !parseTimePart(token, fields.hour, fields.minute, fields.second))
                return false;
            fields.hasTime = true;
            continue;
        }
        if (!fields.hasMonth && token.size() >= 3) {
            int month = indexIn(MONTH_NAMES, token);
            if (month >= 0) {
                fields.month = month + 1;
                fields.hasMonth = true;
                continue;
            }
        }
        int value = integerOf(token);
        if (value != 0) {
            if (token[0] == u'+' || token[0] == u'-') {
                if (fields.hasOffset || !parseOffset(token, fields.zoneMinutes))
                    return false;
                fields.hasOffset = fields.hasZone = true;
            } else if (!allDigits(token)) {
                // "12ab" and the like: not a number, ignored as a word.
            } else if (token.size() == 4) {
                if (fields.hasYear)
                    return false;
                fields.year = value;
                fields.hasYear = true;
            } else if (value < 32) {
                if (fields.hasDay)
                    return false;
                fields.day = value;
                fields.hasDay = true;
            }
            continue;
        }
        if (fields.hasZone)
            continue;
        if (token == u"UT") {
            fields.zoneMinutes = 0;
            fields.hasZone = true;
        } else if (token.size() == 3) {
            int zone = indexIn(ZONE_NAMES, token);
            if (zone >= 0) {
                fields.zoneMinutes = ZONE_HOURS[zone] * 60;
                fields.hasZone = true;
            }
        }
    }
    return true;
}

bool Date::parseDate(const char16_t* text)
{
    Fields fields;
    if (!_parseFields(text, fields))
        return false;
    if (fields.hasDate()) {
        if (!isValidDate(fields.year, fields.month, fields.day))
            return false;
        setDate(fields.year, fields.month, fields.day);
        return true;
    }
    return fields.hasTime;
}

// ----------------------------------------------------------------- comparison

int Date::compare(const Date& other) const
{
    if (this == &other)
        return 0;
    int64_t difference = int64_t(jdn_) - int64_t(other.jdn_);
    if (difference > INT_MAX)
        return INT_MAX;
    if (difference < INT_MIN)
        return INT_MIN;
    return static_cast<int>(difference);
}

} // namespace tessel
