#pragma once

#include <vector>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/DbColumn.h"
#include "dbdriver/DbIndex.h"

// One table of a schema: its columns in order, a key (one KEY column or a
// primary key over named columns), unique column sets and indexes. Every
// adding operation checks what it adds and refuses a name that is not a
// plain identifier, a repeated name and a reference to a missing column.
class DbTable : public tessel::IObject {
public:
    // SQLite's limit on the columns of a table.
    static constexpr int MAX_COLUMNS = 2000;

    DbTable(const tessel::String& name, const tessel::String& title);

    const tessel::String& getName() const { return name_; }
    const tessel::String& getTitle() const { return title_; }
    bool isValid() const;

    int columns() const { return static_cast<int>(columns_.size()); }
    const DbColumn* getColumn(int index) const;
    int findColumn(const tessel::String& name) const;
    bool addColumn(const DbColumn& column);

    bool setPrimaryKey(const std::vector<tessel::String>& columns);
    const std::vector<tessel::String>& getPrimaryKey() const { return primaryKey_; }
    bool addUnique(const std::vector<tessel::String>& columns);

    int indexes() const { return static_cast<int>(indexes_.size()); }
    const DbIndex* getIndex(int index) const;
    // An empty name becomes "<table>_<column>_<column>...".
    bool addIndex(const tessel::String& name, const std::vector<tessel::String>& columns, bool unique);

    tessel::String createStatement() const;

private:
    bool hasKeyColumn() const;
    bool knowsAll(const std::vector<tessel::String>& columns) const;

    tessel::String name_;
    tessel::String title_;
    std::vector<DbColumn> columns_;
    std::vector<tessel::String> primaryKey_;
    std::vector<std::vector<tessel::String>> uniques_;
    std::vector<DbIndex> indexes_;
};
