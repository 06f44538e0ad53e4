#include "quillot/frame/PageTable.h"

#include "quillot/frame/EmptyAction.h"
#include "quillot/pages/HourlyAction.h"
#include "quillot/pages/IndexAction.h"
#include "quillot/pages/LoginAction.h"
#include "quillot/pages/LogoutAction.h"
#include "quillot/pages/NoticeAction.h"
#include "quillot/pages/OptionsAction.h"
#include "quillot/pages/SystemCreateAction.h"
#include "quillot/pages/SystemUpgradeAction.h"
#include "quillot/pages/UpdateAction.h"

namespace {

template <class Page>
PageAction* make()
{
    return new Page();
}

struct Entry {
    const char16_t* name;
    PageTable::Factory create; // null: the page has no work of its own yet
};

// Compared top to bottom; the first equal name wins.
const Entry PAGES[] = {
    {u"Login", make<LoginAction>},
    {u"Logout", make<LogoutAction>},
    {u"Index", make<IndexAction>},
    {u"Info", nullptr},
    {u"Options", make<OptionsAction>},
    {u"Notice", make<NoticeAction>},
    {u"Report", nullptr},
    {u"Sales", nullptr},
    {u"Purchase", nullptr},
    {u"Hourly", make<HourlyAction>},
    {u"Update", make<UpdateAction>},
    {u"SalesClientEdit", nullptr},
    {u"SalesClientView", nullptr},
    {u"SalesClientBill", nullptr},
    {u"SalesClientList", nullptr},
    {u"SalesContactEdit", nullptr},
    {u"SalesContactView", nullptr},
    {u"SalesContactList", nullptr},
    {u"SalesOrderEdit", nullptr},
    {u"SalesOrderView", nullptr},
    {u"SalesOrderPrint", nullptr},
    {u"PurchaseSupplyEdit", nullptr},
    {u"PurchaseSupplyView", nullptr},
    {u"PurchaseSupplyBill", nullptr},
    {u"PurchaseSupplyList", nullptr},
    {u"PurchaseContactEdit", nullptr},
    {u"PurchaseContactView", nullptr},
    {u"PurchaseContactList", nullptr},
    {u"PurchaseOrderEdit", nullptr},
    {u"PurchaseOrderView", nullptr},
    {u"PurchaseOrderPrint", nullptr},
    {u"SalesInvoiceEdit", nullptr},
    {u"SalesInvoiceView", nullptr},
    {u"SalesInvoiceList", nullptr},
    {u"SalesPaymentEdit", nullptr},
    {u"SalesPaymentView", nullptr},
    {u"SalesPaymentList", nullptr},
    {u"PurchaseInvoiceEdit", nullptr},
    {u"PurchaseInvoiceView", nullptr},
    {u"PurchaseInvoiceList", nullptr},
    {u"PurchasePaymentEdit", nullptr},
    {u"PurchasePaymentView", nullptr},
    {u"PurchasePaymentList", nullptr},
    {u"StockExportEdit", nullptr},
    {u"StockExportView", nullptr},
    {u"StockExportList", nullptr},
    {u"StockExportPrint", nullptr},
    {u"StockImportEdit", nullptr},
    {u"StockImportView", nullptr},
    {u"StockImportList", nullptr},
    {u"StockProductList", nullptr},
    {u"StockProductImport", nullptr},
    {u"SystemCompany", nullptr},
    {u"SystemProductList", nullptr},
    {u"SystemSalesExtra", nullptr},
    {u"SystemPurchaseExtra", nullptr},
    {u"SystemExport", nullptr},
    {u"SystemImport", nullptr},
    {u"SystemSwitch", nullptr},
    {u"SystemCreate", make<SystemCreateAction>},
    {u"SystemBackup", nullptr},
    {u"SystemPassword", nullptr},
    {u"SystemUpgrade", make<SystemUpgradeAction>},
};

const Entry* find(const tessel::String& page)
{
    for (const Entry& entry : PAGES)
        if (page == entry.name)
            return &entry;
    return nullptr;
}

} // namespace

PageAction* PageTable::create(const tessel::String& page)
{
    const Entry* entry = find(page);
    if (entry && entry->create)
        return entry->create();
    return new EmptyAction();
}

bool PageTable::contains(const tessel::String& page) { return find(page) != nullptr; }

int PageTable::size() { return static_cast<int>(sizeof PAGES / sizeof PAGES[0]); }

const char16_t* PageTable::nameAt(int index) { return index >= 0 && index < size() ? PAGES[index].name : nullptr; }
