#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The queries of the notice page. Nine sections, numbered 1 to 9 as the
// switches "s1" to "s9" of the session tree:
//   1 salesReply      sales order lines without a ship date
//   2 salesExport     sales order lines to ship, with the stock on hand
//   3 salesInvoice    shipped lines still to invoice
//   4 salesPayment    sales orders still to be paid, per shipment
//   5 purchaseOrder   products whose stock and open purchases fall short
//                     of the open sales
//   6 purchaseReply   purchase order lines without a ship date
//   7 purchaseImport  purchase order lines still to receive
//   8 purchaseInvoice received lines still to invoice
//   9 purchasePayment purchase orders still to pay, per receipt
// The dated sections (2, 3, 4, 7, 8, 9) take a number of days: with days
// above 0 only what falls due within that many days, or is overdue, is
// listed; with 0 everything open.
class NoticeTable : public TableClass {
public:
    static constexpr int SECTIONS = 9;
    static constexpr int REORDER_SECTION = 5;
    // More days than this add nothing: every date of the data is nearer.
    static constexpr int MAX_DAYS = 36600;

    explicit NoticeTable(IDbSession* session);
    explicit NoticeTable(const PageAction& page);

    // The node name of a section ("salesReply"), null outside 1 to 9.
    static const char16_t* sectionName(int section);
    // The days of the form's text: a whole number from 0 to MAX_DAYS;
    // anything else (empty, negative, not a number) is 0.
    static int daysOf(const tessel::String& text);

    // The rows of one section into `target` ("001", "002", ...); false
    // when its query fails.
    bool listSection(int section, int days, tessel::Value* target);
    // The products to reorder: for each product that open sales orders
    // need more of than is in stock and on open purchase orders, its name,
    // specification, description, "stock", "ordrs" (on order), "needs"
    // and "qunty" (the shortfall).
    bool listReorders(tessel::Value* target);

private:
    double _stockOf(const tessel::String& prdnm, const tessel::String& specs);
    double _onOrder(const tessel::String& prdnm, const tessel::String& specs);
};
