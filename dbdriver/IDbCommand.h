#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/DbParams.h"
#include "dbdriver/IDbCursor.h"

// A query run for one page of its rows: the rows of the SQL in its own order,
// after skipping `offset` rows, at most `limit` of them (0: all).
class IDbCommand : public tessel::IObject {
public:
    virtual void setLimit(int limit) = 0;
    virtual void setOffset(int offset) = 0;
    virtual void setSql(const tessel::String& sql) = 0;
    // The values of the SQL's "?" placeholders.
    virtual void setParams(const DbParams& params) = 0;
    // Hands over one reference to the cursor; false and a null cursor when
    // the query cannot run.
    virtual bool executeQuery(IDbCursor** out) = 0;
};
