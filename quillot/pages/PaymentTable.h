#pragma once

#include <vector>

#include "quillot/pages/DocumentTable.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The payments of one side: money paid to suppliers, received from
// clients. Each line pays an amount against one order of the payment's
// partner; the amount moves the order's paid counter ("paids"), guarded on
// the stored order: never past its total nor below 0, on the side of zero
// the total is on. Amounts are kept in cents.
// - save: a new payment gets the next number of its kind; an update works
//   on a payment in state 3, and a line's order is the stored one once
//   saved (an update never moves money to another order). The partner
//   must exist (none is made here).
// - reverse and remove as every posted document.
// An invoice counts as paid when the orders behind its lines are: paying
// an invoice pays those orders.
// Failure keys: the field names, "child", "insert", "update", "paids", the
// order's key ("zpordr": not there, another partner's, or reversed) and
// this table's ("zppymn").
class PaymentTable : public DocumentTable {
public:
    PaymentTable(const PageAction& page, const Side& side);

    // The header into `target`, with the partner's key also as "pid".
    bool loadHeader(const tessel::String& number, tessel::Value* target) override;
    // The lines, each with what its order still owes now ("ordlefts").
    bool listLines(const tessel::String& number, tessel::Value* target) override;
    // A line for each order behind the invoices "I1;I2" that still owes,
    // paying at most what those invoices hold for it; `partner` becomes
    // the first invoice's.
    bool listInvoiceOrders(const tessel::String& invoices, tessel::Value* target, int& partner);
    // A line for each of the orders "P1;P2" that still owes; `partner`
    // becomes the first order's.
    bool listOrders(const tessel::String& orders, tessel::Value* target, int& partner);
    // The partner's orders that still owe, and its invoices with orders
    // behind them that still owe, to pick from.
    bool listOpenOrders(int partner, tessel::Value* target);
    bool listOpenInvoices(int partner, tessel::Value* target);
    // The list page of payment lines; -1 when a query fails.
    int listPage(tessel::Value* data);

    // Saves the POST of the edit page.
    bool save(tessel::Value* fields, const tessel::String& user);

    // Pays `amount` more on order `ordid` of `partner`; a negative amount
    // takes a payment back.
    bool payOrder(const tessel::String& ordid, double amount, int partner);

protected:
    // Sales payments record who took the money: "{oprtr}" and "{oprtr?}"
    // stand for that column and its value.
    tessel::String sql(const char16_t* text) const override;
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
    bool _insert(const Header& header, const std::vector<Line>& lines, const tessel::String& user);
    bool _update(const Header& header, const std::vector<Line>& lines, const tessel::String& user);
    bool _insertLine(const Header& header, int linnm, const Line& line);
    bool _updateLine(const Header& header, const Line& line);
    DbParams _headerParams(const Header& header, const tessel::String& user) const;
};
