#pragma once

#include "tessel/core/IObject.h"

namespace tessel {

class String;

// The host program's side of the application: its window, its settings and
// its event queue. The framework only passes the pointer on to the
// application, which uses the settings and postEvent.
class HttpWindow : public IObject {
public:
    virtual void getTitle(String& out) = 0;
    virtual void setTitle(const String& title) = 0;
    // Keeps `value` under `key`, across restarts of the host.
    virtual void setSetting(const String& key, const String& value) = 0;
    // The value last stored under `key`; `out` stays empty when there is none.
    virtual void getSetting(const String& key, String& out) = 0;
    virtual void show(int mode) = 0;
    virtual void hide() = 0;
    virtual void navigate(const String& url) = 0;
    virtual void refresh() = 0;
    virtual void setStatus(const String& text) = 0;
    virtual void postEvent(int code, int argument) = 0;
    virtual void sendEvent(int code, int argument) = 0;
    virtual void* getHandle() = 0;
    virtual void setTimer(int id, int milliseconds) = 0;
    virtual void killTimer(int id) = 0;
    virtual bool openFile(const String& filter, String& path) = 0;
    virtual bool saveFile(const String& filter, String& path) = 0;
    virtual void close() = 0;
};

} // namespace tessel
