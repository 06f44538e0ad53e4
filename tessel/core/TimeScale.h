#pragma once

namespace tessel {

// Conversions between the time scales the calendar astronomy works in.
// Instants are Julian Days: dynamical time (TT) for the theories of the Sun
// and the Moon, universal time (UT) for the civil clock. Days are Julian Day
// Numbers of civil dates, counted in China's standard time (UTC+8), because
// the Chinese calendar assigns an event to the date it happens on in Beijing.
class TimeScale {
public:
    // Julian Day Number of a Gregorian date (month 1 to 12), by the integer
    // formula of Fliegel and Van Flandern.
    static int dayNumber(int year, int month, int day);
    // The Gregorian date of a Julian Day Number (month 1 to 12).
    static void dateOf(int dayNumber, int& year, int& month, int& day);
    // TT - UT in seconds around a decimal year.
    static double deltaT(double year);
    // The universal time of an instant given in dynamical time.
    static double universalOf(double jde);
    // The civil day, in China's standard time, on which an instant given in
    // dynamical time falls.
    static int chinaDayOf(double jde);
};

} // namespace tessel
