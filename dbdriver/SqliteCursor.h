#pragma once

#include <vector>

#include "dbdriver/IDbCursor.h"
#include "dbdriver/SqliteStatement.h"

class SqliteSession;

// The rows of one statement, optionally one page of them: `offset` rows are
// stepped over first and at most `limit` (0: all) are given. The statement
// goes back to its cache as soon as the last row has been read.
class SqliteCursor : public IDbCursor {
public:
    SqliteCursor(SqliteSession* session, SqliteStatement statement, int offset, int limit);

    bool next() override;
    int columnCount() override;
    int getColumnIndex(const tessel::String& name) override;
    const tessel::String& getColumnName(tessel::String& out, int index) override;
    bool isNull(int index) override;
    const tessel::String& getString(tessel::String& out, const tessel::String& name) override;
    const tessel::String& getStringAt(tessel::String& out, int index) override;
    int getInt(const tessel::String& name) override;
    int getIntAt(int index) override;
    double getDouble(const tessel::String& name) override;
    double getDoubleAt(int index) override;
    bool fetchRow(tessel::Value* row) override;

private:
    bool step();
    void finish(int rc);

    tessel::Ref<SqliteSession> session_;
    SqliteStatement statement_;
    std::vector<tessel::String> names_;
    int skip_;
    int remaining_; // rows still to give; negative: no limit
    bool onRow_ = false;
    bool done_ = false;
};
