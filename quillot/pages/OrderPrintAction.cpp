#include "quillot/pages/OrderPrintAction.h"

#include "quillot/frame/DownloadArea.h"
#include "quillot/frame/TableClass.h"
#include "tessel/core/System.h"
#include "tessel/core/TextWriter.h"
#include "tessel/web/HttpResponse.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<OrderPrintAction> purchase(u"PurchaseOrderPrint", Side::purchase());
const PageRegistration<OrderPrintAction> sales(u"SalesOrderPrint", Side::sales());

constexpr int UTF8 = 65001;
} // namespace

void OrderPrintAction::execute()
{
    runCommand<OrderPrintAction>(this, {{u"", &OrderPrintAction::_show}, {u"excel", &OrderPrintAction::_excel}});
}

// A list selection may pass several numbers: the first one prints.
bool OrderPrintAction::_load()
{
    Value* fields = form();
    fields->insert(u"ordid", TableClass::firstNumber(fields->getAt(u"ordid")));
    if (!loadOrder())
        return false;
    TableClass(*this).companySettings(getValue()->insert(u"myself"));
    return true;
}

void OrderPrintAction::_show()
{
    _load();
}

void OrderPrintAction::_excel()
{
    if (!_load()) {
        if (!isAnswered())
            setError(u"failed");
        return;
    }
    DownloadArea* area = form()->getInt(side().partnerKey) >= 1 ? DownloadArea::of(*this) : nullptr;
    String name = DownloadArea::fileName(form()->getAt(u"ordid"), u".xls");
    String path = area ? area->pathOf(name) : String();
    Ref<tessel::IOutputStream> stream;
    if (path.empty() || !tessel::System::getInstance().open(path, stream.out()) || !stream) {
        setError(u"failed");
        return;
    }
    Ref<tessel::TextWriter> writer = new tessel::TextWriter(stream, UTF8);
    String templateName = String(side().pagePrefix) + u"OrderPrint.xls";
    bool written = loadFile(templateName, *writer);
    writer.reset();
    stream->close();
    if (!written) {
        tessel::System::getInstance().deleteFile(path);
        setError(u"failed");
        return;
    }
    setError(String(u"ok:") + area->addressOf(name));
}
