#pragma once

namespace tessel {

// True new moons (conjunctions of the Moon and the Sun in longitude), by the
// series of Meeus ("Astronomical Algorithms", 2nd ed., ch. 49), which places
// a new moon within a few seconds of the ELP-2000/82 lunar theory over the
// centuries around ours. New moons are counted by lunation: lunation 0 is
// the new moon of 6 January 2000, negative numbers come before it.
class NewMoon {
public:
    // Mean length of a synodic month in days.
    static constexpr double SYNODIC_MONTH = 29.530588861;

    // The instant of the new moon of `lunation`, in dynamical time (Julian
    // Ephemeris Day).
    static double instant(int lunation);
    // The civil day in China's time (a Julian Day Number) of that new moon.
    static int day(int lunation);
    // The last lunation whose new moon falls on `dayNumber` or before it.
    static int lastOnOrBefore(int dayNumber);
};

} // namespace tessel
