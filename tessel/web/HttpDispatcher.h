#pragma once

#include "tessel/core/IObject.h"

namespace tessel {

class HttpAction;
class HttpFunction;
class HttpRequest;
class String;

// What an application offers the web context: it turns page names into
// actions, prepares them, decides whether a request may be served, offers
// its own template functions and does periodic work. Implemented by the
// business library and handed out by its "LoadDispatcher" export.
class HttpDispatcher : public IObject {
public:
    // Creates the action for a page name; `out` receives one reference.
    virtual bool dispatch(const String& page, HttpAction** out) = 0;
    // Prepares a created action (per-request state such as the signed-in
    // company's data).
    virtual void initAction(HttpAction& action) = 0;
    virtual bool checkRight(HttpRequest& request) = 0;
    // Offers an application template function; false leaves `out` alone.
    virtual bool createFunction(const String& name, HttpFunction** out) = 0;
    // Periodic work; the application may set the interval it wants.
    virtual bool onTimer(int& interval) = 0;
};

} // namespace tessel
