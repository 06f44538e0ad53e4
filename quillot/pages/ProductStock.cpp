#include "quillot/pages/ProductStock.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/Side.h"
#include "quillot/frame/StockSheet.h"
#include "tessel/core/Date.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const ORDER_LINE_SQL =
    u"SELECT t.stats, t.{pkey}, t.taxrt, d.taxrt FROM {orders} t JOIN {orderLines} d ON d.ordid = t.ordid "
    u"WHERE t.ordid = ? AND d.linnm = ?";

// The guard reads the stored line: what was moved stays between 0 and the
// ordered quantity, on the side of zero the line is on.
const char16_t* const MOVE_ORDER_LINE_SQL =
    u"UPDATE {orderLines} SET ldngs = round(ldngs + ?1, 4) WHERE ordid = ?2 AND linnm = ?3 AND ("
    u"(qunty >= 0 AND round(ldngs + ?1, 4) >= 0 AND round(ldngs + ?1, 4) <= round(qunty, 4)) OR "
    u"(qunty < 0 AND round(ldngs + ?1, 4) <= 0 AND round(ldngs + ?1, 4) >= round(qunty, 4)))";

// The row must still hold what was read, so that two visitors moving the
// same product at once cannot both count on the same stock.
const char16_t* const UPDATE_PRODUCT_SQL =
    u"UPDATE zcprdct SET qunty = ?1, itmpr = ?2 WHERE prdnm = ?3 AND specs = ?4 AND qunty = ?5 AND itmpr = ?6";

const char16_t* const JOURNAL_SQL =
    u"INSERT INTO zwacntt(fnmth, prdnm, specs, intal, imprt, exprt, qunty, cretr) VALUES(?, ?, ?, ?, ?, ?, ?, ?)";

// What is still to ship or to receive of each product, over the orders
// that are neither finished, reversed nor red-ink copies.
const char16_t* const OPEN_ORDERS_SQL =
    u"(SELECT d.prdnm AS oprd, d.specs AS ospc, sum(d.qunty - d.ldngs) AS oqty, "
    u"sum((d.qunty - d.ldngs) * d.itmpr) AS oamt FROM {orderLines} d JOIN {orders} t ON t.ordid = d.ordid "
    u"WHERE t.stats IN (1, 2, 3) AND round(d.qunty - d.ldngs, 4) <> 0 GROUP BY d.prdnm, d.specs)";

const char16_t* const STOCK_COLUMNS =
    u"p.prdnm, p.specs, p.unitg, p.itmpr, p.qunty, coalesce(s.oqty, 0) AS sales, coalesce(s.oamt, 0) AS samt, "
    u"coalesce(o.oqty, 0) AS purchase, coalesce(o.oamt, 0) AS pamt";

const char16_t* const ANYTHING_OPEN = u"(round(p.qunty, 4) <> 0 OR s.oprd IS NOT NULL OR o.oprd IS NOT NULL)";

// Products with what is still to ship (s) and to receive (o): one grouped
// query for the whole page instead of two queries a row.
String stockFrom()
{
    String from(u"FROM zcprdct p LEFT JOIN ");
    from += Side::sales().sql(OPEN_ORDERS_SQL);
    from += u" s ON s.oprd = p.prdnm AND s.ospc = p.specs LEFT JOIN ";
    from += Side::purchase().sql(OPEN_ORDERS_SQL);
    from += u" o ON o.oprd = p.prdnm AND o.ospc = p.specs";
    return from;
}

bool isZero(double quantity)
{
    return Rounding::quantity(quantity) == 0;
}

} // namespace

ProductStock::ProductStock(const PageAction& page) : TableClass(page) {}

ProductStock::ProductStock(Beside beside) : TableClass(beside) {}

// ------------------------------------------------------------ movements

bool ProductStock::receiveStock(const StockMove& move, bool& taxAdd)
{
    return _moveOrderLine(Side::purchase(), move, taxAdd) && _moveProduct(true, move);
}

bool ProductStock::issueStock(const StockMove& move, bool& taxAdd)
{
    return _moveOrderLine(Side::sales(), move, taxAdd) && _moveProduct(false, move);
}

bool ProductStock::move(const Side& side, const StockMove& move, bool& taxAdd)
{
    return side.isPurchase() ? receiveStock(move, taxAdd) : issueStock(move, taxAdd);
}

bool ProductStock::_moveOrderLine(const Side& side, const StockMove& move, bool& taxAdd)
{
    taxAdd = false;
    if (!session())
        return false;
    if (move.ordid.empty())
        return true;
    String missing = Side::keyOf(side.orderTable);
    if (move.orgln < 1)
        return fail(missing);
    Ref<IDbCursor> row;
    String sql = side.sql(ORDER_LINE_SQL);
    if (!session()->openCursor(sql, {move.ordid, move.orgln}, row.out()) || !row) {
        reportFailure(sql, missing.c_str());
        return false;
    }
    if (!row->next())
        return fail(missing);
    int state = row->getIntAt(0);
    if (state < 1 || state > 4 || row->getIntAt(1) != move.partner)
        return fail(missing);
    taxAdd = row->getIntAt(2) != 0 && row->getIntAt(3) == 0;
    row.reset();
    return changeOne(side.sql(MOVE_ORDER_LINE_SQL), {move.orderQty, move.ordid, move.orgln}, u"ldngs");
}

bool ProductStock::_moveProduct(bool receipt, const StockMove& move)
{
    Ref<IDbCursor> row;
    const char16_t* sql = u"SELECT qunty, itmpr FROM zcprdct WHERE prdnm = ? AND specs = ?";
    if (!session()->openCursor(sql, {move.prdnm, move.specs}, row.out()) || !row) {
        reportFailure(sql, u"zcprdc");
        return false;
    }
    double change = receipt ? move.qty : -move.qty;
    double q0 = 0, q1 = 0;
    if (!row->next()) {
        row.reset();
        // Only goods received make a product.
        if (!receipt || Rounding::quantity(change) <= 0)
            return fail(u"zcprdc");
        q1 = Rounding::quantity(change);
        if (!changeOne(u"INSERT INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) VALUES(?, ?, 0, ?, ?, ?)",
                       {move.prdnm, move.specs, move.unitg, q1, Rounding::price(move.amount / q1)}, u"zcprdc"))
            return false;
    } else {
        q0 = row->getDoubleAt(0);
        double c0 = row->getDoubleAt(1);
        row.reset();
        q1 = Rounding::quantity(q0 + change);
        if (q1 < 0)
            return fail(u"zcprdc");
        double c1 = c0;
        if (receipt && q1 == 0 && !isZero(change))
            c1 = 0;
        else if (receipt && q1 > 0 && q0 * c0 + move.amount >= 0)
            c1 = Rounding::price((q0 * c0 + move.amount) / q1);
        if (!changeOne(UPDATE_PRODUCT_SQL, {q1, c1, move.prdnm, move.specs, q0, c0}, u"zcprdc"))
            return false;
    }
    double moved = Rounding::quantity(move.qty);
    return changeOne(JOURNAL_SQL,
                     {move.month, move.prdnm, move.specs, q0, receipt ? moved : 0.0, receipt ? 0.0 : moved, q1,
                      move.user},
                     u"zwacnt");
}

double ProductStock::onHand(const String& prdnm, const String& specs)
{
    if (!session())
        return 0;
    return session()->queryDouble(u"SELECT qunty FROM zcprdct WHERE prdnm = ? AND specs = ?", {prdnm, specs}, 0);
}

// ------------------------------------------------------------ the list

int ProductStock::listPage(Value* data, bool nozero, int pageSize)
{
    ListQuery query(STOCK_COLUMNS, stockFrom(), u" ORDER BY p.prdnm, p.specs",
                    {u"prdnm", u"specs", u"unitg", u"itmpr", u"qunty"});
    query.pageSize(pageSize > 0 ? pageSize : ListQuery::STOCK_PAGE_SIZE);
    if (nozero)
        query.where(ANYTHING_OPEN);
    int pages = TableClass::listPage(data, query);
    Value* list = pages >= 0 ? data->find(u"list") : nullptr;
    String key;
    for (int i = 0; list && list->isMap(); i++) {
        Value* row = list->getIndex(i, key);
        if (!row)
            break;
        _describeRow(row, nozero);
    }
    return pages;
}

void ProductStock::_describeRow(Value* row, bool nozero)
{
    double qunty = row->getDouble(u"qunty"), cost = row->getDouble(u"itmpr");
    double sales = row->getDouble(u"sales"), purchase = row->getDouble(u"purchase");
    double count = Rounding::quantity(purchase + qunty - sales);
    row->insert(u"sales", Rounding::text(sales, Rounding::QUANTITY));
    row->insert(u"purchase", Rounding::text(purchase, Rounding::QUANTITY));
    row->insert(u"count", Rounding::text(count, Rounding::QUANTITY));
    if (nozero && isZero(qunty) && isZero(sales) && isZero(purchase))
        row->insert(u"hidden", u"1");
    if (cost < 0)
        cost = 0;
    row->insert(u"itmpr", Rounding::text(cost, Rounding::PRICE));
    row->insert(u"pramt", Rounding::text(cost * qunty, Rounding::MONEY));
    double amount = count <= 0 ? row->getDouble(u"pamt") - row->getDouble(u"samt") : cost * count;
    row->insert(u"amount", Rounding::text(amount, Rounding::MONEY));
}

bool ProductStock::writeSheet(tessel::TextWriter& out)
{
    Ref<IDbCursor> rows;
    String sql = String(u"SELECT ") + STOCK_COLUMNS + u" " + stockFrom() + u" WHERE " + ANYTHING_OPEN +
                 u" ORDER BY p.prdnm, p.specs";
    if (!session() || !session()->openCursor(sql, rows.out()) || !rows) {
        if (session())
            reportFailure(sql, READ_FAILED);
        return false;
    }
    StockSheet::writeHead(out);
    while (rows->next()) {
        StockSheetRow row;
        rows->getStringAt(row.prdnm, 0);
        rows->getStringAt(row.specs, 1);
        rows->getStringAt(row.unitg, 2);
        row.itmpr = rows->getDoubleAt(3);
        row.qunty = rows->getDoubleAt(4);
        row.demand = rows->getDoubleAt(5);
        row.ordered = rows->getDoubleAt(7);
        StockSheet::writeRow(out, row);
    }
    StockSheet::writeEnd(out);
    return true;
}

StockMove StockMove::receipt(const String& user, const String& prdnm, const String& specs, const String& unitg,
                             double qty, double price)
{
    StockMove move;
    move.month = tessel::Date::getSystemDate().format(u"%Y%m");
    move.user = user;
    move.prdnm = prdnm;
    move.specs = specs;
    move.unitg = unitg;
    move.qty = qty;
    move.amount = Rounding::price(qty * price);
    return move;
}

bool ProductStock::importRows(const std::vector<StockSheetRow>& rows, const String& user, int& failedLine)
{
    failedLine = 0;
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    for (const StockSheetRow& row : rows) {
        if (isZero(row.qunty))
            continue;
        failedLine = row.line;
        if (row.itmpr <= 0)
            return fail(u"itmpr");
        bool taxAdd = false;
        if (!receiveStock(StockMove::receipt(user, row.prdnm, row.specs, row.unitg, row.qunty, row.itmpr), taxAdd))
            return false;
    }
    failedLine = 0;
    return transaction.commit() || fail(u"update");
}
