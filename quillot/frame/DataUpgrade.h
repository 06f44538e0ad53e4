#pragma once

#include <functional>
#include <vector>

#include "dbdriver/DbParams.h"
#include "tessel/core/String.h"

class IDbSession;
class Side;

// The steps that bring a database of an older data version to the current
// one. Each step runs in its own transaction and writes the version it
// reaches in the same transaction, so a failed step leaves the database at
// the version before it, and running the upgrade again retries it. Inside a
// transaction of the caller's the steps run in that one instead, and the
// caller's commit keeps them or its rollback undoes them all.
class DataUpgrade {
public:
    // `taxFactor` is the company's factor (1 + rate / 100) with which the
    // first step recomputes line amounts given without tax.
    DataUpgrade(IDbSession* session, double taxFactor);

    // Runs the steps the version still needs; true once the database is at
    // the current version.
    bool run(int version);

    // To 20100228: line amounts of orders with tax whose prices were given
    // without tax take the tax factor, down to the stock movement and
    // invoice lines made from them, and the totals follow.
    bool taxAmounts();
    // To 20110228: orders get a discount column and the money columns are
    // rounded to cents.
    bool discount();
    // To 20110401: orders that are paid (to within 0.1) and have no line
    // left to receive, ship or invoice are closed.
    bool closeSettled();

private:
    // Runs one step's work in a transaction of its own, or in the
    // caller's when there is one.
    bool _asOneStep(const std::function<bool()>& work);

    struct LineRow {
        tessel::String id;
        int linnm = 0;
        double qunty = 0;
        double itmpr = 0;
        int taxrt = 0;
    };
    struct TotalRow {
        tessel::String id;
        double total = 0;
    };

    // The rows of a query, read whole; false when it cannot run.
    bool _lines(const tessel::String& sql, bool withTax, std::vector<LineRow>& out);
    bool _totals(const tessel::String& sql, std::vector<TotalRow>& out);
    // Sets each line's amount to quantity x price, times the tax factor
    // (with `byLineTax`, only for the lines whose price excludes tax).
    bool _recomputeLines(const tessel::String& select, const char16_t* table, const char16_t* idColumn, bool byLineTax);
    bool _recomputeTotals(const tessel::String& select, const char16_t* header, const char16_t* idColumn);
    // The tax amounts of one side's orders, movements and invoices.
    bool _taxAmounts(const Side& side);
    bool _closeSettled(const Side& side);
    bool _orderIsOpen(const Side& side, const tessel::String& ordid, bool invoiced);
    bool _hasColumn(const char16_t* table, const char16_t* column);
    bool _writeVersion(const char16_t* version, bool insertWhenMissing);
    // One statement that must change exactly one row.
    bool _executeOne(const tessel::String& sql, const DbParams& params = DbParams());

    IDbSession* session_;
    double taxFactor_;
};
