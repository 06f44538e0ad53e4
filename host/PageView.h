#pragma once

#include <string>

#include "tessel/core/String.h"

namespace tessel {
class HttpAction;
class HttpContext;
class PageInfo;
} // namespace tessel

namespace host {

// How a page is written out: its charset, its content type, and which
// template renders it. A page of a templet is rendered through the
// templet's template, which includes the page's own one where it says
// <tpl:include block/> (the data tree's "." names it, unless the action
// chose a view of its own); any other page through its own template.
class PageView {
public:
    static constexpr int UTF8 = 65001;

    // The page's charset code; UTF-8 when it names none, or one unknown.
    static int charsetOf(const tessel::PageInfo& page);
    // The page's content type; "text/html; charset=utf-8" when it names
    // none. A text type without a charset gets the page's one.
    static std::string contentTypeOf(const tessel::PageInfo& page);

    // The name render takes for a page's own template (the template folder
    // and the page id; the extension is the context's).
    static tessel::String templateOf(const tessel::HttpContext& context, const tessel::String& pageId);

    // Renders the page with the action's data into the action's writer.
    // `shown` receives the template that was asked for; false when it is
    // missing or does not parse.
    static bool render(tessel::HttpContext& context, const tessel::PageInfo& page, tessel::HttpAction& action,
                       tessel::String& shown);
};

} // namespace host
