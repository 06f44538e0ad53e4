#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/SqliteStatement.h"

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection with its cache of prepared statements, keyed by the
// SQL text. The cache is bounded; statements on loan are never evicted, and
// a statement asked for while its cached copy is on loan is prepared anew
// and finalized after use. Closing finalizes them all.
//
// Sessions of one database share its connections (SqliteConnectionPool):
// the connection notes which session holds it, and is idle, free for any
// session, while no transaction is open and no statement is on loan.
class SqliteConnection : public tessel::IObject {
public:
    static constexpr int CACHE_SIZE = 64;
    static constexpr int BUSY_TIMEOUT_MS = 5000;

    enum Mode { OPEN_EXISTING, CREATE_NEW };

    // Opens (or, with CREATE_NEW, creates: refused when the file exists) the
    // database file at `path`, read-write, in WAL mode with full sync. Null,
    // with the reason in `error`, on failure.
    static SqliteConnection* open(const std::string& path, Mode mode, tessel::String& error);

    const std::string& getPath() const { return path_; }
    sqlite3* handle() const { return db_; }

    // Prepares exactly one statement: text after it other than blanks, ";"
    // and comments is refused.
    bool prepare(const tessel::String& sql, SqliteStatement& out, tessel::String& error);
    // Prepares the statement and binds `params` to its placeholders.
    bool prepare(const tessel::String& sql, const DbParams& params, SqliteStatement& out, tessel::String& error);
    // Runs one statement to its end; `changes` gets the rows it changed.
    bool execute(const tessel::String& sql, tessel::String& error, int64_t* changes = nullptr);
    bool execute(const tessel::String& sql, const DbParams& params, tessel::String& error, int64_t* changes = nullptr);
    // Runs a prepared statement to its end.
    bool run(SqliteStatement& statement, tessel::String& error, int64_t* changes = nullptr);

    bool inTransaction() const;
    bool isIdle() const { return loans_ == 0 && !inTransaction(); }
    const void* holder() const { return holder_; }
    void setHolder(const void* holder) { holder_ = holder; }
    int64_t lastInsertRowid() const;
    // Sessions that share the connection keep their own last key: before a
    // session's change the connection's is set to 0, so that afterwards a
    // key other than 0 is that change's.
    void forgetLastInsert();
    tessel::String errorText() const;

    // Copies the database through the backup API into a new file beside
    // `target`, then renames it over `target`.
    bool backupTo(const std::string& target, tessel::String& error);

    // Removes a database file with its journal files.
    static void removeFiles(const std::string& path);

    // Called by SqliteStatement when its loan ends.
    void giveBack(sqlite3_stmt* statement);

protected:
    ~SqliteConnection() override;

private:
    struct Cached {
        sqlite3_stmt* statement;
        bool onLoan;
        uint64_t lastUse;
    };

    SqliteConnection(sqlite3* db, const std::string& path);
    bool configure(tessel::String& error);
    bool compile(const tessel::String& sql, unsigned flags, sqlite3_stmt** out, tessel::String& error);
    bool onlyBlanksAfter(const char16_t* tail, const char16_t* end);
    bool makeRoom();
    void lend(SqliteStatement& out, sqlite3_stmt* statement);
    bool isOwnFile(const std::string& target) const;

    sqlite3* db_;
    std::string path_;
    std::unordered_map<std::u16string, Cached> cache_;
    uint64_t useClock_ = 0;
    int loans_ = 0; // statements lent and not yet given back
    const void* holder_ = nullptr;
};
