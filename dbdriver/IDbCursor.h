#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// A forward-only walk over the rows of one query. The first next() moves to
// the first row; the getters read the current row and give empty text or 0
// before the first row, after the last one, for a NULL and for a column
// that does not exist.
class IDbCursor : public tessel::IObject {
public:
    virtual bool next() = 0;

    virtual int columnCount() = 0;
    // Column names compare without regard to letter case, as in SQL; a
    // negative index means there is no such column.
    virtual int getColumnIndex(const tessel::String& name) = 0;
    virtual const tessel::String& getColumnName(tessel::String& out, int index) = 0;
    // Tells a NULL from an empty text, which the getters cannot.
    virtual bool isNull(int index) = 0;

    virtual const tessel::String& getString(tessel::String& out, const tessel::String& name) = 0;
    virtual const tessel::String& getStringAt(tessel::String& out, int index) = 0;
    virtual int getInt(const tessel::String& name) = 0;
    virtual int getIntAt(int index) = 0;
    virtual double getDouble(const tessel::String& name) = 0;
    virtual double getDoubleAt(int index) = 0;

    // Copies every column of the current row into `row` as a leaf named
    // after the column (a NULL as an empty leaf, so that a stale value in a
    // reused tree is always overwritten). A "." in a column name becomes
    // "_", since the tree would read it as a path. False without a row.
    virtual bool fetchRow(tessel::Value* row) = 0;
};
