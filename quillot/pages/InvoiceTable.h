#pragma once

#include <vector>

#include "quillot/pages/DocumentTable.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The tax invoices of one side: received from suppliers for goods
// received, issued to clients for goods shipped. An invoice line invoices
// (part of) a stock line; its quantity moves the stock line's and the
// order line's invoiced counters ("invcs"), guarded on the stored rows.
// A line without a stock line moves nothing.
// - save: a new invoice gets the next number of its kind; an update works
//   on an invoice in state 3, and a line's stock line is the stored one
//   once saved. The partner must exist (none is made here).
// - reverse and remove as every posted document.
// Failure keys: the field names, "child", "insert", "update", "invcs",
// the stock table's key ("zwimpr": a stock line that is not there, is
// another partner's, is reversed, or whose order is not to be invoiced),
// the order's ("zpordr") and this table's ("zpinvc").
class InvoiceTable : public DocumentTable {
public:
    InvoiceTable(const PageAction& page, const Side& side);

    // The header into `target`, with the partner's key also as "pid" and
    // "lefts": what the orders behind its lines still owe.
    bool loadHeader(const tessel::String& number, tessel::Value* target) override;
    // The lines, each with the order behind it ("ordid") and what that
    // order still owes ("ordlefts").
    bool listLines(const tessel::String& number, tessel::Value* target) override;
    // The parts still to invoice of stock lines named "number,line;..." (a
    // number alone names all its lines), of the first one's partner, which
    // becomes `partner`. Amounts with the tax factor where it applies.
    bool listStockLines(const tessel::String& refs, double taxFactor, tessel::Value* target, int& partner);
    // The same for the goods received (shipped) against orders "P1;P2".
    bool listOrderLines(const tessel::String& orders, double taxFactor, tessel::Value* target, int& partner);
    // Every stock line of the partner still to invoice, to pick from.
    bool listOpenLines(int partner, double taxFactor, tessel::Value* target);
    // The list page of invoice lines; -1 when a query fails.
    int listPage(tessel::Value* data);

    // Saves the POST of the edit page.
    bool save(tessel::Value* fields, const tessel::String& user, double taxFactor);

    // Invoices `qty` more of stock line `linnm` of receipt (issue) `number`
    // for `partner`; `taxAdd` tells whether the line's amount takes the tax
    // factor (the order's line price is without tax).
    bool invoiceReceipt(const tessel::String& number, int linnm, double qty, int partner, bool& taxAdd);

protected:
    bool moveLines(const tessel::String& number, int linnm, int partner, const tessel::String& user,
                   double sign) override;
    const char16_t* copyHeaderSql() const override;
    const char16_t* copyLinesSql() const override;

private:
    struct Line;
    struct Header;

    bool _readHeader(tessel::Value* fields, Header& out);
    bool _readLines(tessel::Value* list, std::vector<Line>& out);
    bool _readLine(tessel::Value* row, Line& out);
    bool _insert(const Header& header, const std::vector<Line>& lines, const tessel::String& user, double taxFactor);
    bool _update(const Header& header, const std::vector<Line>& lines, const tessel::String& user, double taxFactor);
    bool _insertLine(const Header& header, int linnm, const Line& line, double taxFactor);
    bool _updateLine(const Header& header, const Line& line, double taxFactor);
    bool _settleTotal(const tessel::String& number);
    bool _listStock(const tessel::String& condition, const DbParams& params, double taxFactor, tessel::Value* target);
};
