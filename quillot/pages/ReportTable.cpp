#include "quillot/pages/ReportTable.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/Side.h"

using tessel::String;
using tessel::Value;

namespace {

const char16_t* const NONE = u"--";

// One row of one side: its actual figures from the document totals (or
// null when it has only lines) and from the lines (or null when it has
// none), and its forecast with the date column the forecast goes by.
struct ReportRow {
    const char16_t* Side::*table;
    const char16_t* totals;
    const char16_t* lines;
    const char16_t* forecast;
    const char16_t* forecastDate;
};

const ReportRow ROWS[] = {
    {&Side::orderTable, u"SELECT sum(t.amont) FROM {orders} t WHERE t.stats IN (1, 2, 3)",
     u"SELECT sum(d.pramt) FROM {orders} t, {orderLines} d WHERE t.ordid = d.ordid AND t.stats IN (1, 2, 3)", nullptr,
     nullptr},
    // Orders still to deliver count by the promised ship date, or the
    // planned date when none was promised.
    {&Side::movementTable, nullptr,
     u"SELECT sum(d.pramt) FROM {moves} t, {moveLines} d WHERE t.{mkey} = d.{mkey} AND t.stats IN (1, 2, 3)",
     u"SELECT sum((d.qunty - d.ldngs) * d.pramt / d.qunty) FROM {orders} t, {orderLines} d WHERE t.ordid = d.ordid "
     u"AND t.stats IN (1, 2, 3) AND round(d.qunty - d.ldngs, 4) <> 0 AND d.qunty <> 0",
     u"coalesce(nullif(d.shpdt, ''), d.plndt)"},
    {&Side::invoiceTable, u"SELECT sum(t.amont) FROM {invoices} t WHERE t.stats IN (1, 2, 3)",
     u"SELECT sum(d.pramt) FROM {invoices} t, {invoiceLines} d WHERE t.invid = d.invid AND t.stats IN (1, 2, 3)",
     u"SELECT sum((d.qunty - d.invcs) * d.pramt / d.qunty) FROM {moves} t, {moveLines} d WHERE t.{mkey} = d.{mkey} "
     u"AND t.stats IN (1, 2, 3) AND round(d.qunty - d.invcs, 4) <> 0 AND d.qunty <> 0",
     u"t.invdt"},
    {&Side::paymentTable, u"SELECT sum(t.amont) FROM {payments} t WHERE t.stats IN (1, 2, 3)", nullptr,
     u"SELECT sum(d.pramt) FROM {moveLines} d LEFT JOIN {moves} t ON d.{mkey} = t.{mkey} WHERE t.stats IN (1, 2, 3)",
     u"t.pymdt"},
};

} // namespace

ReportTable::ReportTable(const PageAction& page) : TableClass(page) {}

void ReportTable::fillColumn(Value* column, const String& first, const String& last, bool forecast,
                             const Filter& filter)
{
    _fillSide(column, Side::sales(), first, last, forecast, filter);
    _fillSide(column, Side::purchase(), first, last, forecast, filter);
}

void ReportTable::_fillSide(Value* column, const Side& side, const String& first, const String& last, bool forecast,
                            const Filter& filter)
{
    bool otherPartner = side.isPurchase() ? filter.client != 0 : filter.supplier != 0;
    bool byProduct = !filter.prdnm.empty();
    for (const ReportRow& row : ROWS) {
        String key = Side::keyOf(side.*row.table);
        // A product is found on the lines only; payments have none.
        const char16_t* sql = forecast ? row.forecast : byProduct ? row.lines : row.totals ? row.totals : row.lines;
        if (!sql || otherPartner) {
            column->insert(key, NONE);
            continue;
        }
        String dateColumn = forecast ? row.forecastDate : u"t.excdt";
        column->insert(key, _amount(side, side.sql(sql), dateColumn, first, last, filter));
    }
}

String ReportTable::_amount(const Side& side, const String& sql, const String& dateColumn, const String& first,
                            const String& last, const Filter& filter)
{
    String query = sql + u" AND " + dateColumn + u" >= ? AND " + dateColumn + u" <= ?";
    DbParams params{first, last};
    int partner = side.isPurchase() ? filter.supplier : filter.client;
    if (partner != 0) {
        query += side.sql(u" AND t.{pkey} = ?");
        params.add(partner);
    }
    if (!filter.prdnm.empty()) {
        query += u" AND d.prdnm = ?";
        params.add(filter.prdnm);
        if (!filter.specs.empty()) {
            query += u" AND d.specs = ?";
            params.add(filter.specs);
        }
    }
    double amount = session() ? session()->queryDouble(query, params, 0) : 0;
    return Rounding::text(amount, Rounding::MONEY);
}
