#pragma once

#include <string>
#include <vector>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/SqliteConnection.h"

// The connections the sessions of one database file share, so that a
// thousand visitors of a company cost one connection (its parsed schema,
// its page cache, its prepared statements) rather than a thousand. A
// session takes a connection for each piece of work and keeps it while the
// connection is busy for it (a transaction open, a statement not yet
// finished); a session that needs one while all are busy for others gets a
// new one, so sessions never see each other's transactions. The pool
// grows to the most sessions that were busy at once, and lives as long as
// a session has the file open.
//
// Objects are used by one thread at a time, and so is a pool: it serves
// the sessions that opened the file on one thread (the server's, which
// runs every request). Sessions opening it on another thread get a pool
// of their own. A file put in the place of another under the same name
// gets a new pool too: the old connections still read the file they
// opened.
class SqliteConnectionPool : public tessel::IObject {
public:
    // The pool of the file at `path` for this thread, made on first use,
    // with one reference for the caller; null when there is no file.
    static SqliteConnectionPool* of(const std::string& path);

    const std::string& getPath() const { return path_; }
    int size() const { return static_cast<int>(connections_.size()); }

    // A connection for `holder`: `held` when the holder still holds it,
    // otherwise an idle one, otherwise one opened now. Null, with the
    // reason in `error`, when the file cannot be opened as a database.
    SqliteConnection* lend(SqliteConnection* held, const void* holder, tessel::String& error);
    // Takes a connection opened on the pool's file into the pool.
    void add(SqliteConnection* connection);

    struct Key;

protected:
    ~SqliteConnectionPool() override;

private:
    SqliteConnectionPool(const std::string& path, const Key& key);
    SqliteConnection* idle() const;

    std::string path_;
    std::vector<tessel::Ref<SqliteConnection>> connections_;
    const Key* key_;
};
