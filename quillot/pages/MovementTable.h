#pragma once

#include <vector>

#include "quillot/pages/DocumentTable.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// A stock receipt (purchase side) or issue (sales side) as it is saved.
struct MovementDocument : DocumentTable::CommonHeader {
    struct Line {
        TableClass::RowKind kind = TableClass::ROW_CREATE;
        int linnm = 0;
        tessel::String prdnm, specs, other, unitg, rmrks;
        double qunty = 0, itmpr = 0;
        int taxrt = 0;
        tessel::String orgid; // the order line it moves; empty for none
        int orgln = 0;
    };

    int partnerId = 0;
    int type = 0;
    tessel::String crncy, trsid, delvr, invdt, pymdt, oprtr, rmrks;
    std::vector<Line> lines;
};

// The stock receipts or issues of one side: goods received against
// purchase orders, shipped against sales orders, or moved without one.
// Documents are posted when saved (state 3); every save, update, reversal
// and removal moves the product stock and the order lines' counters
// through ProductStock, in one transaction.
// - save: a new document gets the next number of its kind; an update works
//   on a document in state 3 only, and applies every change of a line
//   (quantity, price and product) to the stock. A line's order reference
//   is the stored one once saved. An invoiced line is not lowered below
//   what was invoiced, changed to another product, nor deleted ("invcs").
// - reverse and remove as every posted document; neither while any line
//   is invoiced.
// - changeDates: the expected invoice and payment dates, in any state.
// Failure keys: the field names, "child", "exist", "insert", "update",
// "delete", "rubric", "makered", "redink", "changeDate", "invcs", "ldngs",
// the stock's "zcprdc"/"zwacnt", the order's key ("zpordr") and this
// table's ("zwimpr") for a document that is not there.
class MovementTable : public DocumentTable {
public:
    MovementTable(const PageAction& page, const Side& side);

    // The header into `target`, with the partner's key also as "pid" and
    // the sum of the lines' amounts as "total".
    bool loadHeader(const tessel::String& number, tessel::Value* target) override;
    // The lines, each with its order's tax flag as "taxes".
    bool listLines(const tessel::String& number, tessel::Value* target) override;
    // The invoice lines made from the document.
    bool listInvoices(const tessel::String& number, tessel::Value* target);
    // The lines still open (ordered less moved) of the orders named, in
    // their order; `partner` becomes the partner of the first one.
    bool listOrderLines(const tessel::String& orders, tessel::Value* target, int& partner);
    // Every open line of the partner's orders, to pick from.
    bool listOpenLines(int partner, tessel::Value* target);
    // The list page of document lines; -1 when a query fails.
    int listPage(tessel::Value* data);

    // Saves the POST of the edit page; the partner is found by name and
    // made when there is none (committed on its own).
    bool save(tessel::Value* fields, const tessel::String& user, double taxFactor);
    // Saves a document already read, in its own transaction.
    bool insert(const MovementDocument& document, const tessel::String& user, double taxFactor);
    bool changeDates(tessel::Value* fields);

protected:
    // Receipts have a delivery person, issues do not: "{delvr}", "{delvr?}"
    // and "{delvr=?}" stand for the column, its value and its update.
    tessel::String sql(const char16_t* text) const override;
    bool moveLines(const tessel::String& number, int linnm, int partner, const tessel::String& user,
                   double sign) override;
    bool mayUndo(const tessel::String& number) override;
    const char16_t* copyHeaderSql() const override;
    const char16_t* copyLinesSql() const override;

private:
    bool _readHeader(tessel::Value* fields, MovementDocument& out);
    bool _readLines(tessel::Value* list, MovementDocument& out);
    bool _readLine(tessel::Value* row, MovementDocument::Line& out);
    bool _insert(const MovementDocument& document, const tessel::String& user, double taxFactor);
    bool _update(const MovementDocument& document, const tessel::String& user, double taxFactor);
    bool _insertLine(const MovementDocument& document, int linnm, const MovementDocument::Line& line,
                     const tessel::String& user, double taxFactor);
    bool _updateLine(const MovementDocument& document, const MovementDocument::Line& line, const tessel::String& user,
                     double taxFactor);
};
