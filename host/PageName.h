#pragma once

#include <string_view>

#include "tessel/core/String.h"

namespace host {

// The page a request path asks for. "/PurchaseOrderList.htm",
// "/purchaseOrderList" and "/PurchaseOrderList" all name the page
// "PurchaseOrderList": the leading "/" and a trailing ".htm" go, and the
// host matches the rest against the page table ignoring letter case. "/"
// names the start page.
class PageName {
public:
    static constexpr int MAX_LENGTH = 64;

    // The candidate name, or an empty text when the path cannot name a page
    // (a deeper path, another extension, characters page ids never have).
    static tessel::String fromPath(std::string_view path, const tessel::String& startPage);
};

} // namespace host
