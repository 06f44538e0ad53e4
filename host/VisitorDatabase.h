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
//
// A visitor without one gets a new, closed database session for the
// request; the session keeps it only once a database was opened in it, so
// that the sessions of visitors who never signed in hold nothing and are
// the first to go when the session registry is full.
class VisitorDatabase {
public:
    static const tessel::String& attributeName();

    // The database session the visitor's session holds, or null. No
    // reference is added.
    static IDbSession* find(tessel::HttpSession& session);
    // A new database session over the data folder, with one reference for
    // the caller.
    static IDbSession* make(const tessel::String& dataFolder);
    // Hands a database session made for the request over to the visitor's
    // session when it has a database open.
    static void keep(tessel::HttpSession& session, IDbSession* database);
};

} // namespace host
