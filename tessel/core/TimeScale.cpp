#include "tessel/core/TimeScale.h"

#include <cmath>

namespace tessel {

namespace {

constexpr double J2000 = 2451545.0;
constexpr double DAYS_PER_JULIAN_YEAR = 365.25;
constexpr double SECONDS_PER_DAY = 86400.0;
// China's standard time is eight hours ahead of universal time.
constexpr double CHINA_OFFSET_DAYS = 8.0 / 24.0;

double power(double base, int exponent)
{
    double result = 1;
    for (int i = 0; i < exponent; i++)
        result *= base;
    return result;
}

} // namespace

int TimeScale::dayNumber(int year, int month, int day)
{
    // Integer division truncates towards zero on purpose: the formula relies
    // on (month - 14) / 12 being -1 for January and February and 0 otherwise.
    int a = (month - 14) / 12;
    return day - 32075 + 1461 * (year + 4800 + a) / 4 + 367 * (month - 2 - a * 12) / 12 -
           3 * ((year + 4900 + a) / 100) / 4;
}

void TimeScale::dateOf(int dayNumber, int& year, int& month, int& day)
{
    // The inverse of the formula above (Fliegel and Van Flandern).
    int l = dayNumber + 68569;
    int n = 4 * l / 146097;
    l = l - (146097 * n + 3) / 4;
    int i = 4000 * (l + 1) / 1461001;
    l = l - 1461 * i / 4 + 31;
    int j = 80 * l / 2447;
    day = l - 2447 * j / 80;
    l = j / 11;
    month = j + 2 - 12 * l;
    year = 100 * (n - 49) + i + l;
}

double TimeScale::deltaT(double year)
{
    // The polynomial fits of Espenak and Meeus to the observed and the
    // extrapolated difference between dynamical and universal time.
    if (year < 1700) {
        double t = year - 1600;
        return 120 - 0.9808 * t - 0.01532 * t * t + power(t, 3) / 7129;
    }
    if (year < 1800) {
        double t = year - 1700;
        return 8.83 + 0.1603 * t - 0.0059285 * t * t + 0.00013336 * power(t, 3) - power(t, 4) / 1174000;
    }
    if (year < 1860) {
        double t = year - 1800;
        return 13.72 - 0.332447 * t + 0.0068612 * t * t + 0.0041116 * power(t, 3) - 0.00037436 * power(t, 4) +
               0.0000121272 * power(t, 5) - 0.0000001699 * power(t, 6) + 0.000000000875 * power(t, 7);
    }
    if (year < 1900) {
        double t = year - 1860;
        return 7.62 + 0.5737 * t - 0.251754 * t * t + 0.01680668 * power(t, 3) - 0.0004473624 * power(t, 4) +
               power(t, 5) / 233174;
    }
    if (year < 1920) {
        double t = year - 1900;
        return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * power(t, 3) - 0.000197 * power(t, 4);
    }
    if (year < 1941) {
        double t = year - 1920;
        return 21.20 + 0.84493 * t - 0.076100 * t * t + 0.0020936 * power(t, 3);
    }
    if (year < 1961) {
        double t = year - 1950;
        return 29.07 + 0.407 * t - t * t / 233 + power(t, 3) / 2547;
    }
    if (year < 1986) {
        double t = year - 1975;
        return 45.45 + 1.067 * t - t * t / 260 - power(t, 3) / 718;
    }
    if (year < 2005) {
        double t = year - 2000;
        return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * power(t, 3) + 0.000651814 * power(t, 4) +
               0.00002373599 * power(t, 5);
    }
    if (year < 2050) {
        double t = year - 2000;
        return 62.92 + 0.32217 * t + 0.005589 * t * t;
    }
    double u = (year - 1820) / 100;
    if (year < 2150)
        return -20 + 32 * u * u - 0.5628 * (2150 - year);
    return -20 + 32 * u * u;
}

double TimeScale::universalOf(double jde)
{
    double year = 2000 + (jde - J2000) / DAYS_PER_JULIAN_YEAR;
    return jde - deltaT(year) / SECONDS_PER_DAY;
}

int TimeScale::chinaDayOf(double jde)
{
    // A Julian Day begins at noon, so the civil date starts half a day later.
    return static_cast<int>(std::floor(universalOf(jde) + CHINA_OFFSET_DAYS + 0.5));
}

} // namespace tessel
