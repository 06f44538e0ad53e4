#include "tessel/core/NewMoon.h"

#include <cmath>

#include "tessel/core/TimeScale.h"

namespace tessel {

namespace {

constexpr double RADIANS = 3.14159265358979323846 / 180.0;
// The new moon of lunation 0 in the mean-phase formula.
constexpr double FIRST_NEW_MOON = 2451550.09766;

double sine(double degrees)
{
    return std::sin(degrees * RADIANS);
}

// The instant of the mean new moon of lunation k (T in Julian centuries).
double meanNewMoon(double k, double t)
{
    return FIRST_NEW_MOON + NewMoon::SYNODIC_MONTH * k + 0.00015437 * t * t - 0.000000150 * t * t * t +
           0.00000000073 * t * t * t * t;
}

// The periodic terms from the Sun's and the Moon's anomalies, the Moon's
// argument of latitude and the longitude of its node, in days.
double periodicTerms(double k, double t)
{
    double t2 = t * t;
    double t3 = t2 * t;
    double t4 = t3 * t;
    // Eccentricity of the Earth's orbit, which shrinks the terms with M.
    double e = 1 - 0.002516 * t - 0.0000074 * t2;
    double m = 2.5534 + 29.10535670 * k - 0.0000014 * t2 - 0.00000011 * t3;
    double mm = 201.5643 + 385.81693528 * k + 0.0107582 * t2 + 0.00001238 * t3 - 0.000000058 * t4;
    double f = 160.7108 + 390.67050284 * k - 0.0016118 * t2 - 0.00000227 * t3 + 0.000000011 * t4;
    double node = 124.7746 - 1.56375588 * k + 0.0020672 * t2 + 0.00000215 * t3;
    return -0.40720 * sine(mm) + 0.17241 * e * sine(m) + 0.01608 * sine(2 * mm) + 0.01039 * sine(2 * f) +
           0.00739 * e * sine(mm - m) - 0.00514 * e * sine(mm + m) + 0.00208 * e * e * sine(2 * m) -
           0.00111 * sine(mm - 2 * f) - 0.00057 * sine(mm + 2 * f) + 0.00056 * e * sine(2 * mm + m) -
           0.00042 * sine(3 * mm) + 0.00042 * e * sine(m + 2 * f) + 0.00038 * e * sine(m - 2 * f) -
           0.00024 * e * sine(2 * mm - m) - 0.00017 * sine(node) - 0.00007 * sine(mm + 2 * m) +
           0.00004 * sine(2 * mm - 2 * f) + 0.00004 * sine(3 * m) + 0.00003 * sine(mm + m - 2 * f) +
           0.00003 * sine(2 * mm + 2 * f) - 0.00003 * sine(mm + m + 2 * f) + 0.00003 * sine(mm - m + 2 * f) -
           0.00002 * sine(mm - m - 2 * f) - 0.00002 * sine(3 * mm + m) + 0.00002 * sine(4 * mm);
}

// The planetary perturbations, in days.
double planetaryTerms(double k, double t)
{
    struct Argument {
        double amplitude;
        double start;
        double rate;
    };
    static constexpr Argument ARGUMENTS[] = {
        {0.000165, 251.88, 0.016321}, {0.000164, 251.83, 26.651886}, {0.000126, 349.42, 36.412478},
        {0.000110, 84.66, 18.206239}, {0.000062, 141.74, 53.303771}, {0.000060, 207.14, 2.453732},
        {0.000056, 154.84, 7.306860}, {0.000047, 34.52, 27.261239},  {0.000042, 207.19, 0.121824},
        {0.000040, 291.34, 1.844379}, {0.000037, 161.72, 24.198154}, {0.000035, 239.56, 25.513099},
        {0.000023, 331.55, 3.592518},
    };
    // The first argument alone has a quadratic term.
    double total = 0.000325 * sine(299.77 + 0.107408 * k - 0.009173 * t * t);
    for (const Argument& a : ARGUMENTS)
        total += a.amplitude * sine(a.start + a.rate * k);
    return total;
}

} // namespace

double NewMoon::instant(int lunation)
{
    double k = lunation;
    double t = k / 1236.85;
    return meanNewMoon(k, t) + periodicTerms(k, t) + planetaryTerms(k, t);
}

int NewMoon::day(int lunation)
{
    return TimeScale::chinaDayOf(instant(lunation));
}

int NewMoon::lastOnOrBefore(int dayNumber)
{
    // The true new moon strays up to about 14 hours from the mean one, so
    // the estimate is off by one lunation at most; step until it fits.
    int lunation = static_cast<int>(std::floor((dayNumber - FIRST_NEW_MOON) / SYNODIC_MONTH));
    while (day(lunation + 1) <= dayNumber)
        lunation++;
    while (day(lunation) > dayNumber)
        lunation--;
    return lunation;
}

} // namespace tessel
