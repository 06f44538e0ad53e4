#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/DbParams.h"

struct sqlite3_stmt;
class SqliteConnection;

// A prepared statement lent by a connection's cache; the loan ends (the
// statement goes back reset, or is finalized) when the holder is destroyed
// or given another statement. Holding it keeps the connection alive.
class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(SqliteConnection* connection, sqlite3_stmt* statement);
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    explicit operator bool() const { return statement_ != nullptr; }
    sqlite3_stmt* get() const { return statement_; }
    void reset();

    // One step: SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Steps until the statement is done; false on an error.
    bool run();
    void rewind();

    int columnCount() const;
    // Whether the statement only reads and gives rows: not a change, not a
    // BEGIN, COMMIT or ROLLBACK.
    bool isQuery() const;
    tessel::String columnName(int index) const;
    bool isNull(int index) const;
    tessel::String text(int index) const;
    int64_t int64At(int index) const;
    double doubleAt(int index) const;
    int type(int index) const;
    // The connection's text for the last failure.
    tessel::String errorText() const;

    bool bindText(int index, const tessel::String& text);
    bool bindInt64(int index, int64_t value);
    bool bindDouble(int index, double value);
    bool bindNull(int index);
    // Binds `params` to the statement's placeholders, which must be as
    // many as the values; otherwise `error` says why.
    bool bind(const DbParams& params, tessel::String& error);

private:
    tessel::Ref<SqliteConnection> connection_;
    sqlite3_stmt* statement_ = nullptr;
};
