#pragma once

#include <vector>

#include "tessel/core/String.h"

#include "dbdriver/IDbAdmin.h"

class DbDatabase;
class DbDataset;
class DbRow;
class SqliteConnection;
class SqliteSession;
class SqliteStatement;

// Creation, loading and export over the session's SQLite connection.
class SqliteAdmin : public IDbAdmin {
public:
    explicit SqliteAdmin(SqliteSession* session);

    bool createTables(DbDatabase* schema, bool withDatasets) override;
    bool loadDataset(DbDataset* dataset, bool replace) override;
    bool exportTable(const tessel::String& table, tessel::String& xml) override;

private:
    // How SQLite treats values stored into a column of a declared type.
    enum Affinity { AFFINITY_TEXT, AFFINITY_INTEGER, AFFINITY_REAL, AFFINITY_NUMERIC, AFFINITY_NONE };
    struct Column {
        tessel::String name;
        Affinity affinity;
    };
    using Columns = std::vector<Column>;

    static Affinity affinityOf(const tessel::String& declaredType);
    static bool readColumns(SqliteConnection& connection, const tessel::String& table, Columns& out,
                            tessel::String& error);
    static bool build(SqliteConnection& connection, DbDatabase& schema, bool withDatasets, tessel::String& error);
    static bool load(SqliteConnection& connection, DbDataset& dataset, bool replace, tessel::String& error);
    static bool insertRows(SqliteConnection& connection, DbDataset& dataset, const Columns& columns,
                           tessel::String& error);
    static bool insertRow(SqliteConnection& connection, const tessel::String& table, const DbRow& row,
                          const Columns& columns, tessel::String& error);
    static bool bindValue(SqliteStatement& statement, int index, const DbRow& row, int field, Affinity affinity);
    static void writeRow(const SqliteStatement& statement, const Columns& columns, tessel::String& out);

    bool fail(const tessel::String& error);

    tessel::Ref<SqliteSession> session_;
};
