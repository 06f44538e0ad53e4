#include "quillot/pages/ProductCatalogue.h"

#include <string>
#include <string_view>
#include <vector>

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/Rounding.h"
#include "quillot/pages/ProductStock.h"
#include "tessel/core/Date.h"
#include "tessel/core/Url.h"

using tessel::String;
using tessel::Value;

namespace {

bool decodePart(const String& encoded, String& out)
{
    std::string bytes = encoded.toStdString();
    if (bytes.empty())
        return false;
    int length = tessel::Url::unescape(bytes.data(), static_cast<int>(bytes.size()));
    out = String::fromUTF8(std::string_view(bytes.data(), static_cast<size_t>(length)));
    return !out.empty();
}

} // namespace

ProductCatalogue::ProductCatalogue(const PageAction& page) : TableClass(page) {}

bool ProductCatalogue::readProductKey(const String& key, String& prdnm, String& specs)
{
    int slash = key.indexOf(u'/');
    return slash > 0 && decodePart(key.substr(0, slash), prdnm) && decodePart(key.substr(slash + 1), specs);
}

bool ProductCatalogue::save(Value* list, const String& user)
{
    if (!session())
        return fail(u"failed");
    if (!list || !list->isMap() || list->size() == 0)
        return fail(u"empty");
    std::vector<Row> rows;
    String key;
    for (int i = 0; Value* fields = list->getIndex(i, key); i++) {
        rows.emplace_back();
        if (!_read(fields, rows.back()))
            return false;
    }
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"failed");
    for (const Row& row : rows) {
        bool saved = row.kind == ROW_DELETE ? _delete(row) : row.kind == ROW_UPDATE ? _update(row) : _create(row, user);
        if (!saved)
            return false;
    }
    return transaction.commit() || fail(u"failed");
}

bool ProductCatalogue::_read(Value* fields, Row& out)
{
    out.kind = rowKind(fields);
    // A product that exists is named exactly as stored; a new one as typed.
    if (out.kind == ROW_CREATE) {
        out.prdnm = textOf(fields, u"prdnm");
        out.specs = textOf(fields, u"specs");
    } else if (fields->exists(u"product")) {
        if (!readProductKey(fields->getAt(u"product"), out.prdnm, out.specs))
            return fail(u"prdnm");
    } else {
        out.prdnm = fields->getAt(u"prdnm");
        out.specs = fields->getAt(u"specs");
    }
    if (String(out.prdnm).trim().empty())
        return fail(u"prdnm");
    if (String(out.specs).trim().empty())
        return fail(u"specs");
    if (out.kind == ROW_DELETE)
        return true;
    out.unitg = textOf(fields, u"unitg");
    if (!readNumber(fields, u"itmpr", Rounding::PRICE, out.itmpr))
        return false;
    if (out.itmpr < 0)
        return fail(u"itmpr");
    if (out.kind == ROW_UPDATE)
        return true;
    if (!readNumber(fields, u"qunty", Rounding::QUANTITY, out.qunty) || !readInt(fields, u"clsid", out.clsid))
        return false;
    if (out.qunty < 0)
        return fail(u"qunty");
    // Goods never come into stock free of charge.
    if (out.qunty > 0 && out.itmpr == 0)
        return fail(u"itmpr");
    return true;
}

bool ProductCatalogue::_create(const Row& row, const String& user)
{
    if (session()->queryInt(u"SELECT count(*) FROM zcprdct WHERE prdnm = ? AND specs = ?", {row.prdnm, row.specs},
                            -1) != 0)
        return fail(u"exist");
    if (row.qunty == 0)
        return changeOne(u"INSERT INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) VALUES(?, ?, ?, ?, 0, ?)",
                         {row.prdnm, row.specs, row.clsid, row.unitg, row.itmpr}, u"insert");
    // The opening stock is received as any goods are, with its journal
    // row; the unit price stays as given, not as the division gives it
    // back.
    ProductStock stock(Beside{*this});
    bool taxAdd = false;
    if (!stock.receiveStock(StockMove::receipt(user, row.prdnm, row.specs, row.unitg, row.qunty, row.itmpr), taxAdd))
        return fail(stock.getError().empty() ? String(u"insert") : stock.getError());
    return changeOne(u"UPDATE zcprdct SET clsid = ?, itmpr = ? WHERE prdnm = ? AND specs = ?",
                     {row.clsid, row.itmpr, row.prdnm, row.specs}, u"insert");
}

bool ProductCatalogue::_update(const Row& row)
{
    return changeOne(u"UPDATE zcprdct SET unitg = ?, itmpr = ? WHERE prdnm = ? AND specs = ?",
                     {row.unitg, row.itmpr, row.prdnm, row.specs}, u"update");
}

bool ProductCatalogue::_delete(const Row& row)
{
    return changeOne(u"DELETE FROM zcprdct WHERE prdnm = ? AND specs = ? AND abs(qunty) <= ?",
                     {row.prdnm, row.specs, EMPTY_STOCK}, u"delete");
}
