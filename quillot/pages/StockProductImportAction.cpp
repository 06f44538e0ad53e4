#include "quillot/pages/StockProductImportAction.h"

#include "quillot/frame/Rounding.h"
#include "quillot/frame/StockSheet.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/MovementTable.h"
#include "quillot/pages/ProductStock.h"
#include "tessel/core/Date.h"
#include "tessel/core/IInputStream.h"
#include "tessel/web/HttpUpload.h"

using tessel::HttpUpload;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<StockProductImportAction> import(u"StockProductImport");

constexpr int FRESH = 1, IMPORTED = 0, FAILED = 2;

// The rows that move stock: those with a quantity. Each needs a price.
bool rowsToMove(const std::vector<StockSheetRow>& rows, std::vector<StockSheetRow>& out, int& failedLine)
{
    for (const StockSheetRow& row : rows) {
        if (Rounding::quantity(row.qunty) == 0)
            continue;
        if (row.itmpr <= 0) {
            failedLine = row.line;
            return false;
        }
        out.push_back(row);
    }
    return true;
}
} // namespace

void StockProductImportAction::execute()
{
    runCommand<StockProductImportAction>(this, {{u"", &StockProductImportAction::_show},
                                                {u"import", &StockProductImportAction::_import}});
}

void StockProductImportAction::_show()
{
    getValue()->insert(u"kindof", FRESH);
}

const HttpUpload* StockProductImportAction::_upload() const
{
    const tessel::Array<HttpUpload>& uploads = getUploads();
    for (int i = 0; i < uploads.size(); i++) {
        const HttpUpload* upload = uploads[i];
        if (upload && upload->getName() == u"file" && !upload->isError())
            return upload;
    }
    return nullptr;
}

bool StockProductImportAction::_readAll(const HttpUpload& upload, std::string& bytes)
{
    Ref<tessel::IInputStream> stream;
    if (!upload.open(stream.out()) || !stream)
        return false;
    char buffer[16384];
    int got = 0;
    while ((got = stream->read(buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(got));
    stream->close();
    return got == 0;
}

void StockProductImportAction::_import()
{
    const HttpUpload* upload = _upload();
    std::string bytes;
    if (!upload || !_readAll(*upload, bytes)) {
        _fail(u"file", 0);
        return;
    }
    StockSheet sheet;
    if (!sheet.read(bytes, upload->getFileName())) {
        _fail(sheet.error(), sheet.errorLine());
        return;
    }
    std::vector<StockSheetRow> rows;
    int failedLine = 0;
    if (!rowsToMove(sheet.rows(), rows, failedLine)) {
        _fail(u"itmpr", failedLine);
        return;
    }
    const String& user = userState().userId();
    if (form()->getInt(u"makeform") != 0) {
        MovementDocument receipt;
        receipt.partnerId = -1;
        receipt.type = 1;
        receipt.crncy = company() ? company()->getAt(u"money.0") : String();
        receipt.excdt = tessel::Date::getSystemDate().toString();
        receipt.oprtr = user;
        for (const StockSheetRow& row : rows) {
            MovementDocument::Line line;
            line.prdnm = row.prdnm;
            line.specs = row.specs;
            line.unitg = row.unitg;
            line.qunty = row.qunty;
            line.itmpr = row.itmpr;
            receipt.lines.push_back(line);
        }
        MovementTable receipts(*this, Side::purchase());
        if (rows.empty() || !receipts.insert(receipt, user, userState().taxFactor())) {
            _fail(rows.empty() ? String(u"child") : receipts.getError(), 0);
            return;
        }
        form()->insert(u"impid", receipts.number());
    } else {
        ProductStock stock(*this);
        if (!stock.importRows(rows, user, failedLine)) {
            _fail(stock.getError(), failedLine);
            return;
        }
    }
    getValue()->insert(u"kindof", IMPORTED);
    getValue()->insert(u"count", static_cast<int>(rows.size()));
}

void StockProductImportAction::_fail(const String& key, int line)
{
    String text = getMessage(key);
    if (text.empty())
        text = getMessage(u"failed");
    if (line > 0) {
        String number, where = getMessage(u"line");
        number.format(u"%d", line);
        text += where.replace(u"{line}", number.c_str());
    }
    getValue()->insert(u"kindof", FAILED);
    getValue()->insert(u"error", text);
}
