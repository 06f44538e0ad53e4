#pragma once

#include "tessel/core/Array.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/DbDataset.h"
#include "dbdriver/DbTable.h"

namespace tessel {
class XmlParser;
}

// A database described: its name, its tables and the datasets to load into
// them. Read from a schema file or an export file (the format is described
// in SCHEMA.md), or built in code.
class DbDatabase : public tessel::IObject {
public:
    DbDatabase() = default;

    // Replaces the content with the document's; false, and an empty
    // database, when the document is not a database description or breaks
    // one of its rules.
    bool parseXML(tessel::XmlParser& parser);
    void clear();

    const tessel::String& getName() const { return name_; }
    void setName(const tessel::String& name) { name_ = name; }

    int tables() const { return tables_.size(); }
    DbTable* getTable(int index) const { return tables_.get(index); }
    DbTable* findTable(const tessel::String& name) const;
    // The database takes a reference of its own. Refuses a table whose name
    // is not a plain identifier and a second table of the same name.
    bool addTable(DbTable* table);

    int datasets() const { return datasets_.size(); }
    DbDataset* getDataset(int index) const { return datasets_.get(index); }
    // The database takes a reference of its own.
    void addDataset(DbDataset* dataset);

private:
    tessel::String name_;
    tessel::Array<DbTable> tables_;
    tessel::Array<DbDataset> datasets_;
};
