#pragma once

namespace tessel {

// The 24 solar terms: the instants at which the Sun's apparent geocentric
// longitude reaches a multiple of 15 degrees. Terms are numbered within a
// Gregorian year from 1 (小寒, 285 degrees, early January) to 24 (冬至, the
// winter solstice at 270 degrees, late December); the even numbers are the
// major terms that decide the leap month.
//
// The Sun's position comes from the abridged VSOP87 theory of the Earth as
// published by Meeus ("Astronomical Algorithms", 2nd ed., ch. 25, 32 and
// appendix III), corrected to the FK5 frame, for nutation and for
// aberration; it is good to about one arc second, which places a term within
// about half a minute.
class SolarTerms {
public:
    static constexpr int COUNT = 24;

    // The Sun's apparent longitude in degrees (0 to 360) at an instant in
    // dynamical time (Julian Ephemeris Day).
    static double apparentLongitude(double jde);
    // The longitude, in degrees, at which term `index` (1 to 24) begins.
    static double longitudeOf(int index);
    // The instant, in dynamical time, at which term `index` (1 to 24) of
    // the Gregorian `year` begins.
    static double instant(int year, int index);
    // The civil day in China's time (a Julian Day Number) on which term
    // `index` of `year` begins.
    static int day(int year, int index);
};

} // namespace tessel
