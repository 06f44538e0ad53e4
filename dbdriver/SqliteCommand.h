#pragma once

#include "tessel/core/String.h"

#include "dbdriver/IDbCommand.h"

class SqliteSession;

// A paged query: the rows are stepped over and counted by the cursor, so
// the SQL is run as written, in its own order.
class SqliteCommand : public IDbCommand {
public:
    explicit SqliteCommand(SqliteSession* session);

    void setLimit(int limit) override { limit_ = limit; }
    void setOffset(int offset) override { offset_ = offset; }
    void setSql(const tessel::String& sql) override { sql_ = sql; }
    void setParams(const DbParams& params) override { params_ = params; }
    bool executeQuery(IDbCursor** out) override;

private:
    tessel::Ref<SqliteSession> session_;
    tessel::String sql_;
    DbParams params_;
    int limit_ = 0;
    int offset_ = 0;
};
