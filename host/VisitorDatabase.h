#pragma once

#include "tessel/core/String.h"

class IDbSession;

namespace tessel {
class HttpSession;
}

namespace host {

// Each visitor's own database session, kept as an attribute of the
// visitor's HttpSession: the database one visitor signs in to or switches
// to is never the one another visitor works in, and it closes when the
// session ends or is emptied at sign-out.
class VisitorDatabase {
public:
    static const tessel::String& attributeName();

    // The session's database session over `dataFolder`, made (closed) on
    // first use. No reference is added: the session holds it.
    static IDbSession* of(tessel::HttpSession& session, const tessel::String& dataFolder);
};

} // namespace host
