#pragma once

#include <vector>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/DbRow.h"

// Rows for one table: the initial rows of a schema, or a table read back
// from an export file.
class DbDataset : public tessel::IObject {
public:
    explicit DbDataset(const tessel::String& table) : table_(table) {}

    const tessel::String& getTable() const { return table_; }
    int rows() const { return static_cast<int>(rows_.size()); }
    const DbRow* getRow(int index) const;
    DbRow* getRow(int index);
    // The new row stays valid until the next addRow.
    DbRow& addRow();

private:
    tessel::String table_;
    std::vector<DbRow> rows_;
};
