#include "host/PageServer.h"

#include <dlfcn.h>
#include <unistd.h>

#include "tessel/fs/VirtualFileSystem.h"
#include "tessel/web/HttpContext.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpSession.h"
#include "tessel/web/PageInfo.h"

#include "host/HostRequest.h"
#include "host/HostWindow.h"
#include "host/PageExchange.h"
#include "host/PageView.h"
#include "host/SafePath.h"
#include "host/ServerOptions.h"
#include "host/Utf8.h"
#include "host/VisitorSession.h"

namespace host {

namespace {

constexpr int NOT_FOUND = 404;
constexpr int UNAVAILABLE = 503;

} // namespace

PageServer::PageServer(const ServerOptions& options, HostWindow& window)
    : options_(options), window_(window), anonymous_(options.maxAnonymousSessions)
{
}

PageServer::~PageServer()
{
    stop();
}

bool PageServer::start(std::string& error)
{
    tessel::HttpSession::setDefaultInactiveInterval(options_.sessionMinutes * 60);
    tessel::HttpSession::setMaxSessions(options_.maxSessions);
    std::string app = SafePath::realFolder(options_.appFolder);
    std::string data = SafePath::realFolder(options_.dataFolder);
    if (app.empty() || data.empty()) {
        error = "no application folder " + options_.appFolder + " or data folder " + options_.dataFolder;
        return false;
    }
    dataFolder_ = Utf8::decode(data);
    return loadApplication(app, error);
}

bool PageServer::loadApplication(const std::string& appFolder, std::string& error)
{
    context_ = new tessel::HttpContext();
    context_->setCharset(PageView::UTF8);
    tessel::Ref<tessel::VirtualFileSystem> files = new tessel::VirtualFileSystem(Utf8::decode(appFolder));
    context_->initialize(files);
    if (context_->loadBusiness(Utf8::decode(options_.plugin), &window_))
        return true;
    error = whyNotLoaded(options_.plugin);
    context_.reset();
    return false;
}

// The context only says that loading failed; the loader says why.
std::string PageServer::whyNotLoaded(const std::string& library)
{
    if (library.empty())
        return "no application library given (--plugin)";
    if (::access(library.c_str(), R_OK) != 0)
        return "no application library " + library;
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        return "cannot load " + library + ": " + (reason ? reason : "unknown reason");
    }
    ::dlclose(handle);
    return "the application library " + library + " gave no dispatcher";
}

void PageServer::stop()
{
    if (!context_)
        return;
    // Sessions hold objects made by the application (the signed-in
    // visitor's state) whose code goes with the library: they go first.
    tessel::HttpSession::gc(true);
    context_.reset();
}

HostResponse PageServer::serve(const tessel::String& page, HostRequest& request)
{
    if (!context_)
        return HostResponse::error(UNAVAILABLE);
    // Held for the request: a page may make the context read its
    // configuration again.
    tessel::Ref<tessel::PageInfo> info = context_->findPage(page);
    if (!info)
        return HostResponse::error(NOT_FOUND);
    tessel::Ref<tessel::HttpContext> context = context_;
    PageExchange exchange(*context, *info, request, dataFolder_, anonymous_);
    return exchange.run();
}

bool PageServer::isSignedIn(const HostRequest& request)
{
    tessel::HttpSession* session = VisitorSession::find(request);
    return session && session->hasAttribute(PageExchange::signedInAttribute());
}

std::string PageServer::downloadFolderOf(const HostRequest& request)
{
    tessel::HttpSession* session = VisitorSession::find(request);
    auto* folder = session ? dynamic_cast<tessel::Value*>(session->getAttribute(DOWNLOAD_FOLDER_ATTRIBUTE)) : nullptr;
    tessel::String* name = folder ? folder->getString() : nullptr;
    return name ? name->toStdString() : std::string();
}

int PageServer::onTimer()
{
    int interval = DEFAULT_TIMER_MS;
    int asked = interval;
    if (context_ && context_->onTimer(asked) && asked > 0)
        interval = asked < MIN_TIMER_MS ? MIN_TIMER_MS : asked > MAX_TIMER_MS ? MAX_TIMER_MS : asked;
    tessel::HttpSession::gc(false);
    return interval;
}

} // namespace host
