#pragma once

#include <map>

#include "tessel/core/String.h"

class IDbSession;

// The names of all clients and of all suppliers of a database, kept
// between requests for the lookups of the page scripts. The names are kept
// per database (by its file), so every visitor of one database sees the
// same names, a save by any of them makes all of them read the names anew,
// and two databases never see each other's partners.
class PartnerNameCache {
public:
    using Names = std::map<int, tessel::String>;

    enum Kind { CLIENTS, SUPPLIERS };

    // The names of a kind in the session's database, read on first use.
    // Empty without an open database. The map stays valid until the names
    // of its kind are dropped.
    static const Names& names(IDbSession* session, Kind kind);
    // "client" forgets the client names, "supply" the supplier names,
    // "_all" both; any other word does nothing.
    static void drop(IDbSession* session, const tessel::String& which);
    static void drop(IDbSession* session, Kind kind);
    // Whether the names of a kind are held for the session's database.
    static bool isHeld(IDbSession* session, Kind kind);
};
