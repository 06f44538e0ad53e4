#pragma once

#include <map>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/web/PageInfo.h"
#include "tessel/web/TagScanner.h"

namespace tessel {

class HttpContext;

// Reads "config.xml" into a context: its properties (three of which set the
// log file, the template directory and the debug switch), the sign-in pages,
// the templets and the page table. Pages copy what they inherit from their
// templet when they are read, so a templet or login element must come
// before the pages that use it.
class ConfigReader {
public:
    explicit ConfigReader(HttpContext& context) : context_(context) {}

    // Replaces the context's page table and properties by those of `text`.
    void read(const String& text);

private:
    using Attributes = TagScanner::Attributes;

    void _apply(const String& element, const Attributes& attributes);
    void _property(const String& id, const String& value);
    void _templet(const String& id, const Attributes& attributes);
    void _page(const String& id, const Attributes& attributes);
    PageInfo* _parentOf(const Attributes& attributes) const;
    // The login page configured for a login id, or "!" for an unknown one.
    String _loginPage(const String& login) const;

    HttpContext& context_;
    std::map<String, String> loginPages_;
    Ref<PageInfo> currentTemplet_;
};

} // namespace tessel
