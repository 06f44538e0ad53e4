#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

class DbDatabase;
class DbDataset;

// Maintenance of a whole database: creating one from a schema, loading rows
// into a table and writing a table's rows out as XML.
class IDbAdmin : public tessel::IObject {
public:
    // Creates the database named by schema->getName() with the schema's
    // tables and indexes and, with `withDatasets`, its initial rows, all in
    // one transaction; on success the session is left open on it. Refused
    // when a database of that name exists; on failure nothing is left behind
    // and the session keeps the database it had.
    virtual bool createTables(DbDatabase* schema, bool withDatasets) = 0;
    // Inserts the dataset's rows into the open database, within the
    // caller's transaction when there is one. With `replace` the table's
    // existing rows are deleted first; without it the rows are added. The
    // table and every column must exist; on any failure no row of the
    // dataset is kept.
    virtual bool loadDataset(DbDataset* dataset, bool replace) = 0;
    // Sets `xml` to the table's rows as a <dataset> element that
    // DbDatabase::parseXML and loadDataset read back unchanged.
    virtual bool exportTable(const tessel::String& table, tessel::String& xml) = 0;
};
