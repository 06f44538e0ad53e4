#include "quillot/frame/DataUpgrade.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DocumentState.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/Side.h"

using tessel::Array;
using tessel::Ref;
using tessel::String;

namespace {

// The orders of the step that closes settled orders: paid to within 0.1.
// The difference is rounded to cents first, so that 1.10 - 1.00, which is
// a little more than 0.1 in binary, counts as 0.1.
const char16_t* const SETTLED_ORDERS =
    u"SELECT ordid, taxrt FROM {orders} WHERE round(abs(amont - paids), 2) <= 0.1 AND stats >= ? AND stats <= ?";

// Both sides, in the order the steps treat them.
const Side* const SIDES[] = {&Side::purchase(), &Side::sales()};

} // namespace

DataUpgrade::DataUpgrade(IDbSession* session, double taxFactor) : session_(session), taxFactor_(taxFactor) {}

bool DataUpgrade::run(int version)
{
    if (!session_)
        return false;
    if (version == SettingsTable::DATA_VERSION)
        return true;
    if (version < SettingsTable::VERSION_TAX_AMOUNTS && !taxAmounts())
        return false;
    if (version < SettingsTable::VERSION_DISCOUNT && !discount())
        return false;
    if (version < SettingsTable::DATA_VERSION)
        return closeSettled();
    return true;
}

// ------------------------------------------------------------- helpers

bool DataUpgrade::_asOneStep(const std::function<bool()>& work)
{
    // Inside the caller's transaction (data being imported is upgraded
    // before it is committed) the caller commits or rolls back.
    bool own = !session_->inTransaction();
    DbTransaction transaction(own ? session_ : nullptr);
    if (own && !transaction.isActive())
        return false;
    return work() && (!own || transaction.commit());
}

bool DataUpgrade::_executeOne(const String& sql, const DbParams& params)
{
    int affected = 0;
    return session_->executeCount(sql, params, &affected) && affected == 1;
}

// The rows are read whole before anything is written, so that the updates
// never meet the cursor that walks the same table.
bool DataUpgrade::_lines(const String& sql, bool withTax, std::vector<LineRow>& rows)
{
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return false;
    while (cursor->next()) {
        LineRow row;
        cursor->getStringAt(row.id, 0);
        row.linnm = cursor->getIntAt(1);
        row.qunty = cursor->getDoubleAt(2);
        row.itmpr = cursor->getDoubleAt(3);
        row.taxrt = withTax ? cursor->getIntAt(4) : 0;
        rows.push_back(row);
    }
    return true;
}

bool DataUpgrade::_totals(const String& sql, std::vector<TotalRow>& rows)
{
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return false;
    while (cursor->next()) {
        TotalRow row;
        cursor->getStringAt(row.id, 0);
        row.total = cursor->getDoubleAt(1);
        rows.push_back(row);
    }
    return true;
}

bool DataUpgrade::_hasColumn(const char16_t* table, const char16_t* column)
{
    String sql;
    sql.format(u"SELECT %s FROM %s LIMIT 1", column, table);
    Ref<IDbCursor> cursor;
    return session_->openCursor(sql, cursor.out()) && cursor;
}

bool DataUpgrade::_writeVersion(const char16_t* version, bool insertWhenMissing)
{
    String sql;
    sql.format(u"UPDATE zsysconf SET svalue = '%s' WHERE classid = 1 AND nameid = 0", version);
    if (_executeOne(sql))
        return true;
    if (!insertWhenMissing)
        return false;
    sql.format(u"INSERT INTO zsysconf(classid, nameid, svalue) VALUES(1, 0, '%s')", version);
    return _executeOne(sql);
}

// ------------------------------------------------- step A: tax amounts

bool DataUpgrade::_recomputeLines(const String& select, const char16_t* table, const char16_t* idColumn, bool byLineTax)
{
    std::vector<LineRow> lines;
    if (!_lines(select, byLineTax, lines))
        return false;
    for (const LineRow& line : lines) {
        double amount = line.qunty * line.itmpr;
        if (!byLineTax || line.taxrt == 0)
            amount *= taxFactor_;
        String sql;
        sql.format(u"UPDATE %s SET pramt = ? WHERE %s = ? AND linnm = ?", table, idColumn);
        if (!_executeOne(sql, {Rounding::price(amount), line.id, line.linnm}))
            return false;
    }
    return true;
}

bool DataUpgrade::_recomputeTotals(const String& select, const char16_t* header, const char16_t* idColumn)
{
    std::vector<TotalRow> totals;
    if (!_totals(select, totals))
        return false;
    for (const TotalRow& total : totals) {
        String sql;
        sql.format(u"UPDATE %s SET amont = ? WHERE %s = ?", header, idColumn);
        if (!_executeOne(sql, {Rounding::money(total.total), total.id}))
            return false;
    }
    return true;
}

bool DataUpgrade::_taxAmounts(const Side& side)
{
    return _recomputeLines(side.sql(u"SELECT d.ordid, d.linnm, d.qunty, d.itmpr FROM {orderLines} d, {orders} t"
                                    u" WHERE t.taxrt = 1 AND d.taxrt = 0 AND t.ordid = d.ordid"),
                           side.orderLines, u"ordid", false) &&
           _recomputeTotals(side.sql(u"SELECT ordid, sum(pramt) FROM {orderLines} GROUP BY ordid"), side.orderTable,
                            u"ordid") &&
           _recomputeLines(side.sql(u"SELECT d.{mkey}, d.linnm, d.qunty, d.itmpr FROM {moveLines} d, {orders} t,"
                                    u" {orderLines} o WHERE t.taxrt = 1 AND o.taxrt = 0 AND t.ordid = o.ordid"
                                    u" AND d.orgid = o.ordid AND d.orgln = o.linnm"),
                           side.movementLines, side.movementKey, false) &&
           _recomputeLines(side.sql(u"SELECT d.invid, d.linnm, d.qunty, d.itmpr, o.taxrt FROM {invoiceLines} d,"
                                    u" {moveLines} w, {orders} t, {orderLines} o WHERE t.taxrt = 1"
                                    u" AND t.ordid = o.ordid AND d.orgid = w.{mkey} AND d.orgln = w.linnm"
                                    u" AND w.orgid = o.ordid AND w.orgln = o.linnm"),
                           side.invoiceLines, u"invid", true) &&
           _recomputeTotals(side.sql(u"SELECT invid, sum(pramt) FROM {invoiceLines} GROUP BY invid"), side.invoiceTable,
                            u"invid");
}

bool DataUpgrade::taxAmounts()
{
    return _asOneStep([this] {
        for (const Side* side : SIDES)
            if (!_taxAmounts(*side))
                return false;
        return _writeVersion(u"20100228", true);
    });
}

// ---------------------------------------------------- step B: discount

bool DataUpgrade::discount()
{
    static const char16_t* const ROUNDING[] = {
        u"UPDATE {orders} SET amont = round(amont, 2), paids = round(paids, 2), disct = 0.0",
        u"UPDATE {invoices} SET amont = round(amont, 2), paids = round(paids, 2)",
        u"UPDATE {payments} SET amont = round(amont, 2)",
    };
    return _asOneStep([this] {
        // A decimal column is REAL: a NUMERIC one would keep whole amounts
        // as integers. A table that has the column already keeps it.
        for (const Side* side : SIDES) {
            String sql;
            sql.format(u"ALTER TABLE %s ADD disct REAL default 0", side->orderTable);
            if (!_hasColumn(side->orderTable, u"disct") && !session_->execute(sql))
                return false;
        }
        for (const Side* side : SIDES)
            for (const char16_t* sql : ROUNDING)
                if (!session_->execute(side->sql(sql)))
                    return false;
        return _writeVersion(u"20110228", false);
    });
}

// ---------------------------------------------- step C: settled orders

// An order still has work when a line is not fully received or shipped,
// or, for an order to be invoiced, not fully invoiced. A count that cannot
// be taken keeps the order open.
bool DataUpgrade::_orderIsOpen(const Side& side, const String& ordid, bool invoiced)
{
    if (session_->queryInt(side.sql(u"SELECT count(*) FROM {orderLines} WHERE ordid = ? AND qunty != ldngs"), {ordid},
                           -1) != 0)
        return true;
    if (!invoiced)
        return false;
    return session_->queryInt(side.sql(u"SELECT count(*) FROM {orderLines} WHERE ordid = ? AND qunty != invcs"),
                              {ordid}, -1) != 0;
}

bool DataUpgrade::_closeSettled(const Side& side)
{
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(side.sql(SETTLED_ORDERS), {STATE_NEW, STATE_OPEN}, cursor.out()) || !cursor)
        return false;
    std::vector<std::pair<String, bool>> orders;
    String ordid;
    while (cursor->next())
        orders.emplace_back(cursor->getStringAt(ordid, 0), cursor->getIntAt(1) == 1);
    cursor.reset();

    Array<String> settled;
    for (const auto& [id, invoiced] : orders)
        if (!_orderIsOpen(side, id, invoiced))
            settled.add(new String(session_->escape(id)));
    if (settled.empty())
        return true;
    String numbers, sql;
    numbers.join(u"', '", settled);
    sql.format(u"UPDATE %s SET stats = %d WHERE ordid IN ('%s')", side.orderTable, STATE_FINISHED, numbers.c_str());
    return session_->execute(sql);
}

bool DataUpgrade::closeSettled()
{
    return _asOneStep([this] {
        for (const Side* side : SIDES)
            if (!_closeSettled(*side))
                return false;
        return _writeVersion(u"20110401", false);
    });
}
