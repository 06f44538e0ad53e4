#pragma once

// The kinds of document that draw numbers, by their row in the numbering
// table: the hundreds say the side (1 sales, 2 purchase, 3 stock).
enum DocumentKind : int {
    KIND_SALES_ORDER = 101,
    KIND_SALES_INVOICE = 107,
    KIND_SALES_PAYMENT = 108,
    KIND_PURCHASE_ORDER = 201,
    KIND_PURCHASE_INVOICE = 207,
    KIND_PURCHASE_PAYMENT = 208,
    KIND_STOCK_RECEIPT = 301,
    KIND_STOCK_ISSUE = 302,
};
