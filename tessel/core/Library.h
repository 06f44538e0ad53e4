#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// A shared library loaded at run time. Modules that make objects export
// "CreateObject": extern "C" IObject* CreateObject(const char16_t* name).
class Library : public IObject {
public:
    using CreateObjectFunction = IObject* (*)(const char16_t* name);

    Library() = default;
    explicit Library(const char16_t* path);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() override;

    bool open(const char16_t* path);
    void close();
    void* getSymbol(const char* name) const;
    void* getHandle() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Adopts a handle that was opened elsewhere; "CreateObject" is not
    // looked up again.
    Library& operator=(void* handle);
    IObject* getObject(const char16_t* name) const;
    // The loader's message for the last failed open.
    const String& getLastError() const { return lastError_; }

private:
    void* handle_ = nullptr;
    CreateObjectFunction createObject_ = nullptr;
    String lastError_;
};

} // namespace tessel
