#include "tessel/core/Library.h"

#include <dlfcn.h>

namespace tessel {

Library::Library(const char16_t* path)
{
    if (path && *path)
        open(path);
}

Library::~Library()
{
    close();
}

bool Library::open(const char16_t* path)
{
    close();
    if (!path || !*path)
        return false;
    std::string file = String(path).toStdString();
    handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* message = ::dlerror();
        lastError_ = String::fromUTF8(message ? message : "");
        return false;
    }
    lastError_.clear();
    createObject_ = reinterpret_cast<CreateObjectFunction>(::dlsym(handle_, "CreateObject"));
    return true;
}

void Library::close()
{
    if (handle_)
        ::dlclose(handle_);
    handle_ = nullptr;
    createObject_ = nullptr;
}

void* Library::getSymbol(const char* name) const
{
    if (!handle_ || !name)
        return nullptr;
    return ::dlsym(handle_, name);
}

Library& Library::operator=(void* handle)
{
    if (handle == handle_)
        return *this;
    close();
    handle_ = handle;
    return *this;
}

IObject* Library::getObject(const char16_t* name) const
{
    return createObject_ ? createObject_(name) : nullptr;
}

} // namespace tessel
