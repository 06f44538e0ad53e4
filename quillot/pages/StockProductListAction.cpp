#include "quillot/pages/StockProductListAction.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/DownloadArea.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/pages/ProductStock.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/System.h"
#include "tessel/core/TextWriter.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<StockProductListAction> products(u"StockProductList");

constexpr int UTF8 = 65001;
} // namespace

void StockProductListAction::execute()
{
    runCommand<StockProductListAction>(this, {{u"", &StockProductListAction::_show},
                                              {u"export", &StockProductListAction::_export}});
}

void StockProductListAction::_show()
{
    Value* fields = form();
    bool nozero = fields->getAt(u"nozero") != u"0";
    fields->insert(u"nozero", nozero ? 1 : 0);
    fields->insert(u"size", ListQuery::STOCK_PAGE_SIZE);
    ProductStock stock(*this);
    if (stock.listPage(getValue(), nozero) < 0)
        setError(stock.getError());
}

// Each sheet gets a name of its own: the company and the moment it was
// written, in the visitor's own folder.
void StockProductListAction::_export()
{
    DownloadArea* area = db() ? DownloadArea::of(*this) : nullptr;
    String company;
    if (db())
        db()->getName(company);
    String name = DownloadArea::fileName(String(u"stock-") + company + u"-" +
                                             tessel::DateTime::getSystemTime().format(u"%Y%m%d-%H%M%S"),
                                         u".xml");
    String path = area ? area->pathOf(name) : String();
    Ref<tessel::IOutputStream> stream;
    if (path.empty() || !tessel::System::getInstance().open(path, stream.out()) || !stream) {
        setError(u"failed");
        return;
    }
    Ref<tessel::TextWriter> writer = new tessel::TextWriter(stream, UTF8);
    ProductStock stock(*this);
    bool written = stock.writeSheet(*writer);
    writer.reset();
    stream->close();
    if (!written) {
        tessel::System::getInstance().deleteFile(path);
        setError(u"failed");
        return;
    }
    setError(String(u"ok:") + area->addressOf(name));
}
