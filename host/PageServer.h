#pragma once

#include <string>

#include "tessel/core/String.h"

#include "host/HostResponse.h"

namespace host {

class HostRequest;
class HostWindow;
struct ServerOptions;

// The one place where the web framework meets the host. The routes hand
// over every page request, already decoded; this class is to turn it into
// the framework's request, response and session, let the context check,
// dispatch, execute and render, and give back the answer:
//
//   start   create the HttpContext, initialize it over the application
//           folder, loadBusiness with the window
//   serve   bind the session ("CSESSIONID" cookie or parameter, client
//           address), fill "GET", "POST", "FORM", "SERVER" with FieldRules,
//           checkRight, dispatch, initAction, execute, render, release
//   onTimer HttpContext::onTimer and session collection
//   stop    release the context
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
