#include "tessel/core/SolarTerms.h"

#include <cmath>

#include "tessel/core/TimeScale.h"

namespace tessel {

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double DEGREES = 180.0 / PI;
constexpr double ARC_SECONDS = 3600.0;
constexpr double J2000 = 2451545.0;
constexpr double DAYS_PER_MILLENNIUM = 365250.0;
constexpr double TROPICAL_YEAR = 365.2422;

// One periodic term of VSOP87: amplitude × cos(phase + frequency × tau).
struct Term {
    double amplitude;
    double phase;
    double frequency;
};

struct Series {
    const Term* terms;
    int count;
};

// Heliocentric longitude of the Earth, units of 1e-8 radian.
// clang-format off
constexpr Term L0[] = {
    {175347046, 0, 0}, {3341656, 4.6692568, 6283.0758500}, {34894, 4.62610, 12566.15170},
    {3497, 2.7441, 5753.3849}, {3418, 2.8289, 3.5231}, {3136, 3.6277, 77713.7715},
    {2676, 4.4181, 7860.4194}, {2343, 6.1352, 3930.2097}, {1324, 0.7425, 11506.7698},
    {1273, 2.0371, 529.6910}, {1199, 1.1096, 1577.3435}, {990, 5.233, 5884.927},
    {902, 2.045, 26.298}, {857, 3.508, 398.149}, {780, 1.179, 5223.694},
    {753, 2.533, 5507.553}, {505, 4.583, 18849.228}, {492, 4.205, 775.523},
    {357, 2.920, 0.067}, {317, 5.849, 11790.629}, {284, 1.899, 796.298},
    {271, 0.315, 10977.079}, {243, 0.345, 5486.778}, {206, 4.806, 2544.314},
    {205, 1.869, 5573.143}, {202, 2.458, 6069.777}, {156, 0.833, 213.299},
    {132, 3.411, 2942.463}, {126, 1.083, 20.775}, {115, 0.645, 0.980},
    {103, 0.636, 4694.003}, {102, 0.976, 15720.839}, {102, 4.267, 7.114},
    {99, 6.21, 2146.17}, {98, 0.68, 155.42}, {86, 5.98, 161000.69},
    {85, 1.30, 6275.96}, {85, 3.67, 71430.70}, {80, 1.81, 17260.15},
    {79, 3.04, 12036.46}, {75, 1.76, 5088.63}, {74, 3.50, 3154.69},
    {74, 4.68, 801.82}, {70, 0.83, 9437.76}, {62, 3.98, 8827.39},
    {61, 1.82, 7084.90}, {57, 2.78, 6286.60}, {56, 4.39, 14143.50},
    {56, 3.47, 6279.55}, {52, 0.19, 12139.55}, {52, 1.33, 1748.02},
    {51, 0.28, 5856.48}, {49, 0.49, 1194.45}, {41, 5.37, 8429.24},
    {41, 2.40, 19651.05}, {39, 6.17, 10447.39}, {37, 6.04, 10213.29},
    {37, 2.57, 1059.38}, {36, 1.71, 2352.87}, {36, 1.78, 6812.77},
    {33, 0.59, 17789.85}, {30, 0.44, 83996.85}, {30, 2.74, 1349.87},
    {25, 3.16, 4690.48},
};
constexpr Term L1[] = {
    {628331966747.0, 0, 0}, {206059, 2.678235, 6283.075850}, {4303, 2.6351, 12566.1517},
    {425, 1.590, 3.523}, {119, 5.796, 26.298}, {109, 2.966, 1577.344},
    {93, 2.59, 18849.23}, {72, 1.14, 529.69}, {68, 1.87, 398.15},
    {67, 4.41, 5507.55}, {59, 2.89, 5223.69}, {56, 2.17, 155.42},
    {45, 0.40, 796.30}, {36, 0.47, 775.52}, {29, 2.65, 7.11},
    {21, 5.34, 0.98}, {19, 1.85, 5486.78}, {19, 4.97, 213.30},
    {17, 2.99, 6275.96}, {16, 0.03, 2544.31}, {16, 1.43, 2146.17},
    {15, 1.21, 10977.08}, {12, 2.83, 1748.02}, {12, 3.26, 5088.63},
    {12, 5.27, 1194.45}, {12, 2.08, 4694.00}, {11, 0.77, 553.57},
    {10, 1.30, 6286.60}, {10, 4.24, 1349.87}, {9, 2.70, 242.73},
    {9, 5.64, 951.72}, {8, 5.30, 2352.87}, {6, 2.65, 9437.76},
    {6, 4.67, 4690.48},
};
constexpr Term L2[] = {
    {52919, 0, 0}, {8720, 1.0721, 6283.0758}, {309, 0.867, 12566.152},
    {27, 0.05, 3.52}, {16, 5.19, 26.30}, {16, 3.68, 155.42},
    {10, 0.76, 18849.23}, {9, 2.06, 77713.77}, {7, 0.83, 775.52},
    {5, 4.66, 1577.34}, {4, 1.03, 7.11}, {4, 3.44, 5573.14},
    {3, 5.14, 796.30}, {3, 6.05, 5507.55}, {3, 1.19, 242.73},
    {3, 6.12, 529.69}, {3, 0.31, 398.15}, {3, 2.28, 553.57},
    {2, 4.38, 5223.69}, {2, 3.75, 0.98},
};
constexpr Term L3[] = {
    {289, 5.844, 6283.076}, {35, 0, 0}, {17, 5.49, 12566.15},
    {3, 5.20, 155.42}, {1, 4.72, 3.52}, {1, 5.30, 18849.23},
    {1, 5.97, 242.73},
};
constexpr Term L4[] = {
    {114, 3.142, 0}, {8, 4.13, 6283.08}, {1, 3.84, 12566.15},
};
constexpr Term L5[] = {
    {1, 3.14, 0},
};

// Radius vector of the Earth, units of 1e-8 astronomical unit. Only the
// aberration depends on it, so the larger terms are plenty.
constexpr Term R0[] = {
    {100013989, 0, 0}, {1670700, 3.0984635, 6283.0758500}, {13956, 3.05525, 12566.15170},
    {3084, 5.1985, 77713.7715}, {1628, 1.1739, 5753.3849}, {1576, 2.8469, 7860.4194},
    {925, 5.453, 11506.770}, {542, 4.564, 3930.210}, {472, 3.661, 5884.927},
    {346, 0.964, 5507.553}, {329, 5.900, 5223.694}, {307, 0.299, 5573.143},
    {243, 4.273, 11790.629}, {212, 5.847, 1577.344}, {186, 5.022, 10977.079},
    {175, 3.012, 18849.228}, {110, 5.055, 5486.778}, {98, 0.89, 6069.78},
};
constexpr Term R1[] = {
    {103019, 1.107490, 6283.075850}, {1721, 1.0644, 12566.1517}, {702, 3.142, 0},
    {32, 1.02, 18849.23}, {31, 2.84, 5507.55}, {25, 1.32, 5223.69},
};
constexpr Term R2[] = {
    {4359, 5.7846, 6283.0758}, {124, 5.579, 12566.152},
};
constexpr Term R3[] = {
    {145, 4.273, 6283.076},
};
// clang-format on

template <int N>
constexpr Series series(const Term (&terms)[N])
{
    return Series{terms, N};
}

constexpr Series LONGITUDE[] = {series(L0), series(L1), series(L2), series(L3), series(L4), series(L5)};
constexpr Series RADIUS[] = {series(R0), series(R1), series(R2), series(R3)};

double sum(const Series& s, double tau)
{
    double total = 0;
    for (int i = 0; i < s.count; i++)
        total += s.terms[i].amplitude * std::cos(s.terms[i].phase + s.terms[i].frequency * tau);
    return total;
}

// The polynomial in tau whose coefficients are the series.
template <int N>
double evaluate(const Series (&coefficients)[N], double tau)
{
    double total = 0;
    for (int i = N - 1; i >= 0; i--)
        total = total * tau + sum(coefficients[i], tau);
    return total * 1e-8;
}

double normalized(double degrees)
{
    degrees = std::fmod(degrees, 360.0);
    return degrees < 0 ? degrees + 360.0 : degrees;
}

// The difference a - b brought into -180 .. 180 degrees.
double difference(double a, double b)
{
    double d = normalized(a - b);
    return d > 180 ? d - 360 : d;
}

// Nutation in longitude, in degrees, to about half an arc second (Meeus
// ch. 22, the shortened expression).
double nutationInLongitude(double centuries)
{
    double t = centuries;
    double node = (125.04452 - 1934.136261 * t + 0.0020708 * t * t + t * t * t / 450000) / DEGREES;
    double sun = (280.4665 + 36000.7698 * t) / DEGREES;
    double moon = (218.3165 + 481267.8813 * t) / DEGREES;
    double seconds = -17.20 * std::sin(node) - 1.32 * std::sin(2 * sun) - 0.23 * std::sin(2 * moon) +
                     0.21 * std::sin(2 * node);
    return seconds / ARC_SECONDS;
}

} // namespace

double SolarTerms::apparentLongitude(double jde)
{
    double tau = (jde - J2000) / DAYS_PER_MILLENNIUM;
    double centuries = tau * 10;
    double earth = evaluate(LONGITUDE, tau) * DEGREES;
    double radius = evaluate(RADIUS, tau);
    // The Sun is seen from the Earth in the opposite direction.
    double sun = earth + 180;
    // From the VSOP87 dynamical frame to FK5; the latitude part of the
    // correction is below a milli-arc-second and left out.
    sun += -0.09033 / ARC_SECONDS;
    sun += nutationInLongitude(centuries);
    sun += -20.4898 / ARC_SECONDS / radius;
    return normalized(sun);
}

double SolarTerms::longitudeOf(int index)
{
    return normalized(270.0 + 15.0 * index);
}

double SolarTerms::instant(int year, int index)
{
    // 小寒 comes near January 5.6 and the terms follow about every 15.2 days;
    // from that guess Newton's method on the longitude converges in a few
    // steps, since the Sun moves at 0.95 to 1.02 degrees a day.
    double jde = TimeScale::dayNumber(year, 1, 1) - 0.5 + 4.6 + (index - 1) * TROPICAL_YEAR / COUNT;
    double target = longitudeOf(index);
    for (int step = 0; step < 20; step++) {
        double correction = difference(target, apparentLongitude(jde)) * TROPICAL_YEAR / 360.0;
        jde += correction;
        if (std::fabs(correction) < 1e-6)
            break;
    }
    return jde;
}

int SolarTerms::day(int year, int index)
{
    return TimeScale::chinaDayOf(instant(year, index));
}

} // namespace tessel
