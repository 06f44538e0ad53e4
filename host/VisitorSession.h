#pragma once

#include <string>

#include "tessel/core/String.h"

namespace tessel {
class HttpRequest;
class HttpSession;
} // namespace tessel

namespace host {

class HostRequest;

// Which session a request belongs to. The id comes in the "CSESSIONID"
// cookie, or failing that in a query or form field of that name, and only
// finds the session from the client address it was made for.
class VisitorSession {
public:
    // Session ids are lower-case hexadecimal; anything else, or anything
    // longer, cannot name one and is not looked up.
    static constexpr int MAX_ID_LENGTH = 64;

    // The id the request carries (empty when none, or when it cannot be an
    // id); `fromCookie` tells where it came from.
    static tessel::String requestedId(const HostRequest& request, bool& fromCookie);
    // The registered session the request names, or null. Never makes one.
    static tessel::HttpSession* find(const HostRequest& request);
    // Binds the session the request names to `target`, or a new one when
    // it names none that is there. True when an existing one was found.
    static bool bind(tessel::HttpRequest& target, const HostRequest& request);
    // The Set-Cookie value that gives the browser the session's id: for the
    // whole site, out of reach of scripts, not sent along with requests
    // that other sites start (except plain links).
    static std::string cookieOf(const tessel::HttpSession& session);

private:
    static bool isIdText(const std::string& text);
};

} // namespace host
