#pragma once

#include <vector>

#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The orders of one side: a header, numbered product lines and the
// contract clauses. Loading for the pages, and every change, each in one
// transaction:
// - save: a new order (number typed by the user, state 3) or the update of
//   an order in state 3; a line is never lowered below what was received
//   or invoiced ("ldngs", "invcs"), nor deleted while it holds either; the
//   total never falls below what was paid ("paids"); the discount is not
//   negative and not above the total ("disct");
// - reverse: the order (state 3 or 4, nothing received, invoiced or paid)
//   goes to 5 and a red-ink copy "<number>R" in 6 negates it exactly;
// - remove: an order in state 1 or a red-ink copy (whose original returns
//   to 3);
// - close: an order in 1 to 3 goes to history (4).
// Failure keys are the field names ("ordid", "splnm", "excdt", "prdnm",
// "specs", "plndt", "shpdt", "qunty", "itmpr", "exchn", "disct", "taxrt",
// "linnm", "cntnt"), "child" (a new order without lines), "exist",
// "insert", "update", "delete", "makered", "rubric", the counters, and the
// order table's key ("zpordr") for an order that is not there.
class OrderTable : public TableClass {
public:
    OrderTable(const PageAction& page, const Side& side);

    // The header of `ordid` into `target`, with "total" (amount before the
    // discount) and the partner's key also as "pid".
    bool loadHeader(const tessel::String& ordid, tessel::Value* target);
    bool listLines(const tessel::String& ordid, tessel::Value* target);
    bool listClauses(const tessel::String& ordid, tessel::Value* target);
    // The stock lines received (shipped) against the order.
    bool listMovements(const tessel::String& ordid, tessel::Value* target);
    // The tracking list of order lines, 100 a page: with `styles` 1 the
    // lines of current orders still to receive (ship), to invoice (orders
    // with tax) or to pay; with 2 the lines done with or of orders no
    // longer current; with 0 or 3 every line. -1 when a query fails.
    int listTracking(tessel::Value* data, int styles);
    // The company's standard clauses for a new order.
    bool listStandardClauses(tessel::Value* target);

    // Saves the POST of the edit page; the partner is found by name, and
    // made when there is none (committed on its own). `user` is recorded
    // as the creator; `taxFactor` applies to prices given without tax on
    // an order with tax.
    bool save(tessel::Value* fields, const tessel::String& user, double taxFactor);
    bool reverse(const tessel::String& ordid, const tessel::String& user);
    bool remove(const tessel::String& ordid);
    bool close(const tessel::String& ordid);

private:
    struct Header;
    struct Line;

    bool _readHeader(tessel::Value* fields, Header& out);
    bool _readLines(tessel::Value* list, bool taxed, double taxFactor, std::vector<Line>& out);
    bool _readLine(tessel::Value* row, bool taxed, double taxFactor, Line& out);
    bool _readClauses(tessel::Value* extra, std::vector<tessel::String>& out);
    bool _insert(const Header& header, const std::vector<Line>& lines, const tessel::String& user);
    bool _update(const Header& header, const std::vector<Line>& lines, const tessel::String& user);
    bool _insertLine(const tessel::String& ordid, int linnm, const Line& line);
    bool _updateLine(const tessel::String& ordid, const Line& line);
    bool _deleteLine(const tessel::String& ordid, int linnm);
    bool _registerProduct(const Line& line);
    bool _settleTotal(const tessel::String& ordid, double discount);
    bool _saveClauses(const tessel::String& ordid, const std::vector<tessel::String>& clauses);
    // Whether the order has anything received, invoiced or paid; sets the
    // counter's key when it has.
    bool _isUntouched(const tessel::String& ordid);
    int _stateOf(const tessel::String& ordid, tessel::String* remarks = nullptr);

    const Side& side_;
};
