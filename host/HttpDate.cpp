#include "host/HttpDate.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace host {

namespace {

const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool readNumber(std::string_view text, size_t at, size_t digits, int& out)
{
    out = 0;
    for (size_t i = 0; i < digits; ++i) {
        char c = text[at + i];
        if (c < '0' || c > '9')
            return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

} // namespace

std::string HttpDate::format(int64_t secondsSince1970)
{
    time_t seconds = static_cast<time_t>(secondsSince1970);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", DAYS[utc.tm_wday], utc.tm_mday,
                  MONTHS[utc.tm_mon], utc.tm_year + 1900, utc.tm_hour, utc.tm_min, utc.tm_sec);
    return text;
}

bool HttpDate::parse(std::string_view text, int64_t& secondsSince1970)
{
    // "Sun, 06 Nov 1994 08:49:37 GMT": 29 characters at fixed places.
    constexpr size_t LENGTH = 29;
    if (text.size() != LENGTH || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
        text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT")
        return false;
    std::tm utc{};
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (!readNumber(text, 5, 2, day) || !readNumber(text, 12, 4, year) || !readNumber(text, 17, 2, hour) ||
        !readNumber(text, 20, 2, minute) || !readNumber(text, 23, 2, second))
        return false;
    int month = -1;
    for (int i = 0; i < 12; ++i) {
        if (text.substr(8, 3) == MONTHS[i])
            month = i;
    }
    if (month < 0 || day < 1 || day > 31 || year < 1970 || hour > 23 || minute > 59 || second > 60)
        return false;
    utc.tm_mday = day;
    utc.tm_mon = month;
    utc.tm_year = year - 1900;
    utc.tm_hour = hour;
    utc.tm_min = minute;
    utc.tm_sec = second;
    secondsSince1970 = static_cast<int64_t>(timegm(&utc));
    return true;
}

} // namespace host
