#include "quillot/pages/DocumentListAction.h"

#include "quillot/pages/InvoiceTable.h"
#include "quillot/pages/MovementTable.h"
#include "quillot/pages/PaymentTable.h"

namespace {
const PageRegistration<DocumentListAction<MovementTable>> receipts(u"StockImportList", Side::purchase());
const PageRegistration<DocumentListAction<MovementTable>> issues(u"StockExportList", Side::sales());
const PageRegistration<DocumentListAction<InvoiceTable>> purchaseInvoices(u"PurchaseInvoiceList", Side::purchase());
const PageRegistration<DocumentListAction<InvoiceTable>> salesInvoices(u"SalesInvoiceList", Side::sales());
const PageRegistration<DocumentListAction<PaymentTable>> purchasePayments(u"PurchasePaymentList", Side::purchase());
const PageRegistration<DocumentListAction<PaymentTable>> salesPayments(u"SalesPaymentList", Side::sales());
} // namespace
