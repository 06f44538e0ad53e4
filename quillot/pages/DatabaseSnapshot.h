#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

class IDbSession;
class SqliteSession;

// A consistent copy of the open database, made by the database's own
// backup into a folder and opened there, so that many tables can be read
// as they were at one moment while other visitors go on working. The
// copy's files go with the object.
class DatabaseSnapshot {
public:
    // Copies the database open in `source` into `folder` (made when
    // missing).
    DatabaseSnapshot(IDbSession* source, const tessel::String& folder);
    ~DatabaseSnapshot();
    DatabaseSnapshot(const DatabaseSnapshot&) = delete;
    DatabaseSnapshot& operator=(const DatabaseSnapshot&) = delete;

    // The session open on the copy; null when it could not be made.
    IDbSession* session() const;

private:
    void _remove();

    tessel::String folder_;
    tessel::String name_;
    tessel::Ref<SqliteSession> copy_;
};
