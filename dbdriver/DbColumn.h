#pragma once

#include "tessel/core/String.h"

// One column of a schema table. The types are the application's value
// classes: KEY is the integer key SQLite fills in (INTEGER PRIMARY KEY,
// never reused), INT and REAL default to 0, TEXT to '', DATE (text) to
// NULL. Decimals are REAL: a NUMERIC column would store "5.0000" as the
// integer 5 and make divisions integral.
class DbColumn {
public:
    enum Type { KEY, INT, REAL, TEXT, DATE };

    DbColumn(const tessel::String& name, Type type);

    // "key", "int", "real", "text" or "date", in any letter case.
    static bool typeFromName(const tessel::String& word, Type& out);

    const tessel::String& getName() const { return name_; }
    Type getType() const { return type_; }
    const tessel::String& getTitle() const { return title_; }
    void setTitle(const tessel::String& title) { title_ = title; }

    // A default must suit the type: a whole number for INT, a number for
    // REAL, any text for TEXT and DATE; a KEY takes none.
    bool setDefault(const tessel::String& value);
    bool hasDefault() const { return hasDefault_; }
    const tessel::String& getDefault() const { return default_; }
    void setNotNull(bool notNull) { notNull_ = notNull; }
    bool isNotNull() const { return notNull_; }
    void setUnique(bool unique) { unique_ = unique; }
    bool isUnique() const { return unique_; }

    // The column's part of CREATE TABLE: name, type, constraints, default.
    tessel::String definition() const;

private:
    const char16_t* sqlType() const;
    tessel::String defaultClause() const;

    tessel::String name_;
    Type type_;
    tessel::String title_;
    tessel::String default_;
    bool hasDefault_ = false;
    bool notNull_ = false;
    bool unique_ = false;
};
