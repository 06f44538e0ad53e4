#pragma once

#include <vector>

#include "tessel/core/String.h"

// One row of a dataset: column/value pairs in the order they were set. A
// NULL is its own state, apart from the empty text; a column that is not
// in the row takes the table's default when the row is inserted.
class DbRow {
public:
    int size() const { return static_cast<int>(fields_.size()); }
    const tessel::String& getColumn(int index) const;
    const tessel::String& getValue(int index) const;
    bool isNull(int index) const;
    // Column names compare without regard to letter case, as in SQL.
    int indexOf(const tessel::String& column) const;

    // Setting a column again replaces its value.
    void set(const tessel::String& column, const tessel::String& value);
    void setNull(const tessel::String& column);

private:
    struct Field {
        tessel::String column;
        tessel::String value;
        bool null;
    };
    void put(const tessel::String& column, const tessel::String& value, bool null);

    std::vector<Field> fields_;
};
