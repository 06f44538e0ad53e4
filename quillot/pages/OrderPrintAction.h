#pragma once

#include "quillot/pages/OrderViewAction.h"

// The printable order (A4): the order as on its view page, the partner and
// the company's own data ("myself"). "excel" renders the spreadsheet
// template "PurchaseOrderPrint.xls" ("SalesOrderPrint.xls") with the same
// data into a file of the visitor's download area and answers "ok:" and
// the file's address, or "failed".
class OrderPrintAction : public OrderViewAction {
public:
    using OrderViewAction::OrderViewAction;
    void execute() override;

private:
    bool _load();
    void _show();
    void _excel();
};
