#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// Something a host connects to and closes again: a file system over a
// container or a folder, configured through named properties before it is
// connected.
class IService : public virtual IObject {
public:
    // Connects to the named resource; `other` is an optional companion
    // object some services may use. True when connected afterwards.
    virtual bool connect(const String& name, IObject* other) = 0;
    virtual void close() = 0;
    virtual bool isConnected() = 0;
    // True when the key is one the service knows.
    virtual bool setProperty(const String& key, const String& value) = 0;
};

} // namespace tessel
