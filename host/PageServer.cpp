#include "host/PageServer.h"

#include "host/HostRequest.h"
#include "host/HostWindow.h"
#include "host/ServerOptions.h"

namespace host {

PageServer::PageServer(const ServerOptions& options, HostWindow& window) : options_(options), window_(window) {}

PageServer::~PageServer()
{
    stop();
}

bool PageServer::start(std::string&)
{
    return true;
}

void PageServer::stop() {}

HostResponse PageServer::serve(const tessel::String&, HostRequest&)
{
    return HostResponse::error(501);
}

bool PageServer::mayDownload(HostRequest&)
{
    return false; // no sessions yet, so nobody is signed in
}

int PageServer::onTimer()
{
    return DEFAULT_TIMER_MS;
}

} // namespace host
