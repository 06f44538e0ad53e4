#include "host/HostWindow.h"

#include <cstdio>

#include "host/SettingsFile.h"
#include "host/Utf8.h"

namespace host {

HostWindow::HostWindow(SettingsFile& settings) : settings_(settings) {}

void HostWindow::getTitle(tessel::String& out)
{
    out = title_;
}

void HostWindow::setTitle(const tessel::String& title)
{
    title_ = title;
}

void HostWindow::offer(const std::string& key, const std::string& value)
{
    offered_[key] = value;
}

void HostWindow::setSetting(const tessel::String& key, const tessel::String& value)
{
    if (key.empty() || offered_.count(Utf8::encode(key)))
        return;
    if (!settings_.set(Utf8::encode(key), Utf8::encode(value)))
        std::fprintf(stderr, "quillot-server: cannot write %s\n", settings_.path().c_str());
}

void HostWindow::getSetting(const tessel::String& key, tessel::String& out)
{
    std::string name = Utf8::encode(key);
    auto offered = offered_.find(name);
    if (offered != offered_.end()) {
        out = Utf8::decode(offered->second);
        return;
    }
    std::string value;
    if (!name.empty() && settings_.get(name, value))
        out = Utf8::decode(value);
}

void HostWindow::postEvent(int code, int argument)
{
    std::fprintf(stderr, "quillot-server: event %d %d\n", code, argument);
}

void HostWindow::sendEvent(int code, int argument)
{
    postEvent(code, argument);
}

void HostWindow::show(int) {}
void HostWindow::hide() {}
void HostWindow::navigate(const tessel::String&) {}
void HostWindow::refresh() {}
void HostWindow::setStatus(const tessel::String&) {}
void* HostWindow::getHandle()
{
    return nullptr;
}
void HostWindow::setTimer(int, int) {}
void HostWindow::killTimer(int) {}
bool HostWindow::openFile(const tessel::String&, tessel::String&)
{
    return false;
}
bool HostWindow::saveFile(const tessel::String&, tessel::String&)
{
    return false;
}
void HostWindow::close() {}

} // namespace host
