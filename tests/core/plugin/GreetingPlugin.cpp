// A loadable module that makes objects: "CreateObject" answers "greeting"
// with a new String and every other name with null.

#include "tessel/core/String.h"

extern "C" tessel::IObject* CreateObject(const char16_t* name)
{
    if (!name || tessel::compare(name, u"greeting") != 0)
        return nullptr;
    return new tessel::String(u"你好 from the plug-in");
}

extern "C" int pluginVersion()
{
    return 3;
}
