#pragma once

#include <functional>
#include <string>

#include "tessel/core/String.h"

// Where a statement that the database refused is written down: one line on
// the server's log (standard error) with the page, the driver's text and
// the SQL, so that a broken query is seen instead of showing as an empty
// list. Control characters are escaped, so no value forges a log line.
class FailureLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    static void write(const tessel::String& page, const tessel::String& error, const tessel::String& sql);
    // The line write() makes, without its line end.
    static std::string line(const tessel::String& page, const tessel::String& error, const tessel::String& sql);
    // Sends the lines to `sink` instead of standard error (for tests); an
    // empty sink restores standard error.
    static void setSink(Sink sink);
};
