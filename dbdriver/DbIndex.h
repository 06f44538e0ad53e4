#pragma once

#include <vector>

#include "tessel/core/String.h"

// An index over one or more columns of a schema table.
class DbIndex {
public:
    DbIndex(const tessel::String& name, const std::vector<tessel::String>& columns, bool unique);

    const tessel::String& getName() const { return name_; }
    const std::vector<tessel::String>& getColumns() const { return columns_; }
    bool isUnique() const { return unique_; }

    tessel::String createStatement(const tessel::String& table) const;
    // The column names, quoted and separated by ", ".
    static tessel::String columnList(const std::vector<tessel::String>& columns);

private:
    tessel::String name_;
    std::vector<tessel::String> columns_;
    bool unique_;
};
