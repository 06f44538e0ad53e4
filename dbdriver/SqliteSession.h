#pragma once

#include <string>

#include "tessel/core/String.h"

#include "dbdriver/IDbSession.h"
#include "dbdriver/SqliteConnection.h"
#include "dbdriver/SqliteConnectionPool.h"

// The session over SQLite. Each company database is the file
// "<name>.db" in the data folder given at construction, and is named only
// by that bare name: no path, no "..", nothing outside the folder. The
// sessions of one database share its connections (SqliteConnectionPool);
// each keeps its own name, last error, last key and transaction.
//
// Create it with new and hold it through Ref: its cursors, commands and
// administration object hold references to it.
class SqliteSession : public IDbSession {
public:
    static constexpr int MAX_NAME = 128;

    explicit SqliteSession(const tessel::String& dataFolder);

    // Not empty, not starting with ".", no "..", no "/", "\" or ":", no
    // control character, at most MAX_NAME characters.
    static bool isBareName(const tessel::String& name);

    bool isOpen() override;
    bool exists(const tessel::String& dbname) override;
    bool open(const tessel::String& dbname) override;
    void close() override;
    const tessel::String& getName(tessel::String& out) override;
    const tessel::String& getFileName(tessel::String& out) override;
    tessel::String escape(const tessel::String& text) override;
    int getSequence(const tessel::String& seq) override;
    bool openCursor(const tessel::String& sql, IDbCursor** out) override;
    bool executeCount(const tessel::String& sql, int* affected) override;
    bool execute(const tessel::String& sql) override;
    int queryInt(const tessel::String& sql, int def = 0) override;
    double queryDouble(const tessel::String& sql, double def = 0) override;
    tessel::String& queryString(tessel::String& out, const tessel::String& sql, const char16_t* def = nullptr) override;
    tessel::String& getLastError(tessel::String& out) override;
    bool openCursor(const tessel::String& sql, const DbParams& params, IDbCursor** out) override;
    bool executeCount(const tessel::String& sql, const DbParams& params, int* affected) override;
    bool execute(const tessel::String& sql, const DbParams& params) override;
    int queryInt(const tessel::String& sql, const DbParams& params, int def = 0) override;
    double queryDouble(const tessel::String& sql, const DbParams& params, double def = 0) override;
    tessel::String& queryString(tessel::String& out, const tessel::String& sql, const DbParams& params,
                                const char16_t* def = nullptr) override;
    bool createCommand(IDbCommand** out) override;
    bool getAdmin(IDbAdmin** out) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;
    bool inTransaction() override;
    void beginReads() override;
    void endReads() override;
    bool backupTo(const tessel::String& path) override;

    // For the driver's own cursors, commands and administration object.
    bool openPage(const tessel::String& sql, const DbParams& params, int offset, int limit, IDbCursor** out);
    // True when a statement may run now, on connection(); otherwise sets
    // the error.
    bool ready();
    // ready() for work that changes the database: the shared read
    // transaction ends first, so that the change commits by itself.
    bool readyToChange();
    // Whether another database may take the open one's place now.
    bool canSwitch();
    SqliteConnection* connection() const { return connection_.get(); }
    std::string pathOf(const tessel::String& name) const;
    // Makes a connection just opened on a database of the folder the open
    // one, named `name`.
    void adopt(SqliteConnection* connection, const tessel::String& name);
    void setError(const tessel::String& error) { error_ = error; }

protected:
    ~SqliteSession() override;

private:
    // Whether the database file and the journal files beside it are
    // regular files of the folder, none of them a link.
    static bool hasPlainFiles(const std::string& path);
    bool firstValue(const tessel::String& sql, const DbParams& params, SqliteStatement& statement);
    // Prepares a statement on the connection this session works on, inside
    // the shared read transaction when it is a query.
    bool prepare(const tessel::String& sql, const DbParams& params, SqliteStatement& statement);
    bool placeInReads(const SqliteStatement& statement);
    bool endReadTransaction();
    bool run(SqliteStatement& statement, int64_t* changes);
    // Whether connection_ is still this session's: another session may
    // take it over once it was idle.
    bool holdsConnection() const;
    void hold(SqliteConnection* connection, const tessel::String& name);

    std::string folder_;
    tessel::String name_;
    tessel::Ref<SqliteConnectionPool> pool_;
    tessel::Ref<SqliteConnection> connection_;
    tessel::String error_;
    int64_t sequence_ = 0;
    // Set while a transaction begun by beginTransaction is open.
    bool transaction_ = false;
    // Set between beginReads and endReads, and while the read transaction
    // they share is open on connection_.
    bool sharedReads_ = false;
    bool readTransaction_ = false;
};
