#pragma once

#include <vector>

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class Side;
struct StockSheetRow;

namespace tessel {
class TextWriter;
}

// One movement of goods: the product it moves and the order line it is
// made against.
struct StockMove {
    tessel::String ordid; // the order; empty for goods moved without one
    int orgln = 0;        // the order's line
    int partner = 0;      // the document's partner: the order must be its own
    double orderQty = 0;  // added to the order line's received (shipped) quantity
    tessel::String month; // the journal's month, "%Y%m"
    tessel::String user;  // the journal's creator
    tessel::String prdnm, specs, unitg;
    double qty = 0;    // received (issued); negative takes goods back
    double amount = 0; // a receipt's value at its own unit price (issues move at the average cost)

    // Goods received without an order (opening stock, a loaded stock
    // sheet): `qty` at the unit price `price`, in this month's journal.
    static StockMove receipt(const tessel::String& user, const tessel::String& prdnm, const tessel::String& specs,
                             const tessel::String& unitg, double qty, double price);
};

// The product stock: quantity on hand and average unit cost of every
// product, kept as value = quantity x cost, and the stock journal.
// - A receipt of q at price p adds q and q x p; taking receipt goods back
//   (a negative amount) takes them out at that price: value - q x p. When
//   nothing remains the cost is 0; when the value would fall below 0 the
//   cost stays as it was.
// - An issue takes goods out at the average cost and leaves the cost
//   alone; goods coming back from an issue return at the average cost.
// - Stock never goes below 0, and a product without a row can only be
//   received ("zcprdc").
// Each movement also moves the order line's received (shipped) counter,
// guarded on the stored row: never past the ordered quantity nor below 0,
// on the side of zero the order is on ("ldngs"); the order must be the
// document partner's own and neither reversed nor a red-ink copy
// ("zpordr"/"zsordr"). Every movement writes its journal row ("zwacnt").
class ProductStock : public TableClass {
public:
    explicit ProductStock(const PageAction& page);
    explicit ProductStock(Beside beside);

    // `taxAdd` tells whether the line's amount takes the tax factor: the
    // order is with tax and its line's price without.
    bool receiveStock(const StockMove& move, bool& taxAdd);
    bool issueStock(const StockMove& move, bool& taxAdd);
    // receiveStock on the purchase side, issueStock on the sales side.
    bool move(const Side& side, const StockMove& move, bool& taxAdd);

    // The quantity on hand of a product, 0 without a row.
    double onHand(const tessel::String& prdnm, const tessel::String& specs);

    // The product stock list: each row with what is still to ship
    // ("sales") and to receive ("purchase"), what remains after both
    // ("count"), the value on hand ("pramt") and "amount". With `nozero`
    // the products with nothing on hand, demanded or ordered are left out.
    // `pageSize` products a page (0: the stock list's own size). The
    // pages, or -1 when a query fails.
    int listPage(tessel::Value* data, bool nozero, int pageSize = 0);
    // The stock sheet of every product with anything on hand, demanded or
    // ordered; false when the products cannot be read.
    bool writeSheet(tessel::TextWriter& out);
    // Sets the stock of sheet rows by receiving them, in one transaction:
    // a row's price must be above 0 ("itmpr"). On failure `failedLine` is
    // the line of the row that failed.
    bool importRows(const std::vector<StockSheetRow>& rows, const tessel::String& user, int& failedLine);

private:
    bool _moveOrderLine(const Side& side, const StockMove& move, bool& taxAdd);
    bool _moveProduct(bool receipt, const StockMove& move);
    void _describeRow(tessel::Value* row, bool nozero);
};
