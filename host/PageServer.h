#pragma once

#include <string>

#include "tessel/core/String.h"

#include "host/HostResponse.h"

namespace host {

class HostRequest;
class HostWindow;
struct ServerOptions;

// The one place where the web framework meets the host. The routes hand
// over every page request, already decoded (HostRequest: headers in
// arrival order, the query string and the body as FormField lists, stored
// uploads, the temporary file list); this class is to turn it into the
// framework's request, response and session, let the context check,
// dispatch, execute and render, and give back the answer (HostResponse):
//
//   start       create the HttpContext, initialize it over the application
//               folder, loadBusiness with the window
//   serve       find the page with HttpContext::findPage (404 when none);
//               bind the session (the "CSESSIONID" cookie, CookieHeader, or
//               parameter, and the client address); fill "GET", "POST",
//               "FORM" and "SERVER" through FieldRules::insert; put every
//               upload on the action (a page that keeps a file calls
//               TemporaryFiles::keep, the rest go after the request);
//               checkRight, dispatch, initAction, execute, render, release
//   mayDownload a signed-in session
//   onTimer     HttpContext::onTimer and HttpSession::gc(false)
//   stop        release the context
//
// Until the framework's web layer is there, pages answer 501.
class PageServer {
public:
    static constexpr int DEFAULT_TIMER_MS = 60000;

    PageServer(const ServerOptions& options, HostWindow& window);
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    // False, with the reason in `error`, when the application cannot be
    // loaded.
    bool start(std::string& error);
    void stop();

    // `page` is the candidate page name of the request path.
    HostResponse serve(const tessel::String& page, HostRequest& request);
    // Whether the request may take files from the download folder (a
    // signed-in visitor).
    bool mayDownload(HostRequest& request);
    // Periodic work; returns the milliseconds until the next call.
    int onTimer();

private:
    const ServerOptions& options_;
    HostWindow& window_;
};

} // namespace host
