#pragma once

#include <map>
#include <string>

#include "tessel/core/String.h"
#include "tessel/web/HttpWindow.h"

namespace host {

class SettingsFile;

// The host's window as the application sees it. A server has no window:
// the settings go to the settings file, events are logged on standard
// error, and the slots about showing, navigating, timers and file dialogs
// do nothing.
class HostWindow : public tessel::HttpWindow {
public:
    explicit HostWindow(SettingsFile& settings);
    ~HostWindow() override = default;

    // A setting the server gives the application from its command line:
    // getSetting answers it before the settings file, and setSetting does
    // not change it.
    void offer(const std::string& key, const std::string& value);

    void getTitle(tessel::String& out) override;
    void setTitle(const tessel::String& title) override;
    void setSetting(const tessel::String& key, const tessel::String& value) override;
    void getSetting(const tessel::String& key, tessel::String& out) override;
    void show(int mode) override;
    void hide() override;
    void navigate(const tessel::String& url) override;
    void refresh() override;
    void setStatus(const tessel::String& text) override;
    void postEvent(int code, int argument) override;
    void sendEvent(int code, int argument) override;
    void* getHandle() override;
    void setTimer(int id, int milliseconds) override;
    void killTimer(int id) override;
    bool openFile(const tessel::String& filter, tessel::String& path) override;
    bool saveFile(const tessel::String& filter, tessel::String& path) override;
    void close() override;

private:
    SettingsFile& settings_;
    std::map<std::string, std::string> offered_;
    tessel::String title_;
};

} // namespace host
