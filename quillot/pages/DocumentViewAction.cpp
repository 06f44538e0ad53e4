#include "quillot/pages/DocumentViewAction.h"

#include "quillot/pages/InvoiceTable.h"
#include "quillot/pages/PaymentTable.h"

namespace {
const PageRegistration<DocumentViewAction<InvoiceTable>> purchaseInvoice(u"PurchaseInvoiceView", Side::purchase());
const PageRegistration<DocumentViewAction<InvoiceTable>> salesInvoice(u"SalesInvoiceView", Side::sales());
const PageRegistration<DocumentViewAction<PaymentTable>> purchasePayment(u"PurchasePaymentView", Side::purchase());
const PageRegistration<DocumentViewAction<PaymentTable>> salesPayment(u"SalesPaymentView", Side::sales());
} // namespace
