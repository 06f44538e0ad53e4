#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/Value.h"

class Side;

// The extra clauses that new orders of a side copy (settings class 7 for
// purchase orders, 6 for sales orders): one text a row, numbered 1, 2, ...
// in the order they are listed.
class ClauseTable : public TableClass {
public:
    ClauseTable(const PageAction& page, const Side& side);

    // The clauses as rows with "nameid" and "svalue"; false when they
    // cannot be read.
    bool list(tessel::Value* target);
    // Saves the edited rows of `list` in one transaction: new rows take
    // the next free number, "update" and "delete" rows name theirs
    // ("nameid"); a clause must not be empty ("svalue"). The failing step
    // gives "insert", "update" or "delete"; no rows is "empty".
    bool save(tessel::Value* list);

private:
    bool _check(tessel::Value* row, RowKind kind);
    bool _save(tessel::Value* row, RowKind kind);

    int classid_;
};
