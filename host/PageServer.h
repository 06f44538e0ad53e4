#pragma once

#include <string>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "host/AnonymousSessions.h"
#include "host/HostResponse.h"

namespace tessel {
class HttpContext;
}

namespace host {

class HostRequest;
class HostWindow;
struct ServerOptions;

// The one place where the web framework meets the host. The routes hand
// over every page request, already decoded (HostRequest: headers in
// arrival order, the query string and the body as FormField lists, stored
// uploads, the temporary file list):
//
//   start       one HttpContext in UTF-8, initialised over the application
//               folder (a file system rooted there, so no template or page
//               id reaches outside it), and the application library loaded
//               with the window
//   serve       the page (HttpContext::findPage, letter case ignored; 404
//               when none), then one PageExchange
//   isSignedIn  a signed-in session
//   onTimer     HttpContext::onTimer and HttpSession::gc(false)
//   stop        the sessions, then the context (and with it the library
//               whose code the sessions' objects may run)
class PageServer {
public:
    static constexpr int DEFAULT_TIMER_MS = 60000;
    static constexpr int MIN_TIMER_MS = 1000;
    static constexpr int MAX_TIMER_MS = 24 * 3600 * 1000;

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
    // Whether the request comes from a signed-in visitor: only they may
    // take files from the download folder or send files.
    bool isSignedIn(const HostRequest& request);
    // The name of the visitor's own folder of the download area, which the
    // application keeps in the session attribute "downloads"; empty when
    // the visitor has none.
    std::string downloadFolderOf(const HostRequest& request);
    static constexpr const char16_t* DOWNLOAD_FOLDER_ATTRIBUTE = u"downloads";
    // Periodic work; returns the milliseconds until the next call.
    int onTimer();

    // The running application and the data folder, for work the server
    // does with them itself (making company databases); null before start.
    tessel::HttpContext* context() const { return context_.get(); }
    const tessel::String& dataFolder() const { return dataFolder_; }

private:
    bool loadApplication(const std::string& appFolder, std::string& error);
    static std::string whyNotLoaded(const std::string& library);

    const ServerOptions& options_;
    HostWindow& window_;
    tessel::Ref<tessel::HttpContext> context_;
    tessel::String dataFolder_;
    AnonymousSessions anonymous_;
};

} // namespace host
