#include "quillot/frame/DataUpgrade.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/SettingsTable.h"

using tessel::Array;
using tessel::Ref;
using tessel::String;

namespace {

// The orders of the step that closes settled orders: paid to within 0.1.
// The difference is rounded to cents first, so that 1.10 - 1.00, which is
// a little more than 0.1 in binary, counts as 0.1.
const char16_t* const SETTLED_ORDERS =
    u"SELECT ordid, taxrt FROM %s WHERE round(abs(amont - paids), 2) <= 0.1 AND stats >= %d AND stats <= %d";

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

bool DataUpgrade::_executeOne(const String& sql)
{
    int affected = 0;
    return session_->executeCount(sql, &affected) && affected == 1;
}

// The rows are read whole before anything is written, so that the updates
// never meet the cursor that walks the same table.
std::vector<DataUpgrade::LineRow> DataUpgrade::_lines(const String& sql, bool withTax)
{
    std::vector<LineRow> rows;
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return rows;
    while (cursor->next()) {
        LineRow row;
        cursor->getStringAt(row.id, 0);
        row.linnm = cursor->getIntAt(1);
        row.qunty = cursor->getDoubleAt(2);
        row.itmpr = cursor->getDoubleAt(3);
        row.taxrt = withTax ? cursor->getIntAt(4) : 0;
        rows.push_back(row);
    }
    return rows;
}

std::vector<DataUpgrade::TotalRow> DataUpgrade::_totals(const String& sql)
{
    std::vector<TotalRow> rows;
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return rows;
    while (cursor->next()) {
        TotalRow row;
        cursor->getStringAt(row.id, 0);
        row.total = cursor->getDoubleAt(1);
        rows.push_back(row);
    }
    return rows;
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

bool DataUpgrade::_recomputeLines(const char16_t* select, const char16_t* table, const char16_t* idColumn,
                                  bool byLineTax)
{
    for (const LineRow& line : _lines(select, byLineTax)) {
        double amount = line.qunty * line.itmpr;
        if (!byLineTax || line.taxrt == 0)
            amount *= taxFactor_;
        String sql;
        sql.format(u"UPDATE %s SET pramt = %0.8f WHERE %s = '%s' AND linnm = %d", table, amount, idColumn,
                   session_->escape(line.id).c_str(), line.linnm);
        if (!_executeOne(sql))
            return false;
    }
    return true;
}

bool DataUpgrade::_recomputeTotals(const char16_t* select, const char16_t* header, const char16_t* idColumn)
{
    for (const TotalRow& total : _totals(select)) {
        String sql;
        sql.format(u"UPDATE %s SET amont = %0.2f WHERE %s = '%s'", header, total.total, idColumn,
                   session_->escape(total.id).c_str());
        if (!_executeOne(sql))
            return false;
    }
    return true;
}

bool DataUpgrade::taxAmounts()
{
    DbTransaction transaction(session_);
    if (!transaction.isActive())
        return false;
    bool done =
        _recomputeLines(u"SELECT d.ordid, d.linnm, d.qunty, d.itmpr FROM zpordrd d, zpordrt t"
                        u" WHERE t.taxrt = 1 AND d.taxrt = 0 AND t.ordid = d.ordid",
                        u"zpordrd", u"ordid", false) &&
        _recomputeTotals(u"SELECT ordid, sum(pramt) FROM zpordrd GROUP BY ordid", u"zpordrt", u"ordid") &&
        _recomputeLines(u"SELECT d.ordid, d.linnm, d.qunty, d.itmpr FROM zsordrd d, zsordrt t"
                        u" WHERE t.taxrt = 1 AND d.taxrt = 0 AND t.ordid = d.ordid",
                        u"zsordrd", u"ordid", false) &&
        _recomputeTotals(u"SELECT ordid, sum(pramt) FROM zsordrd GROUP BY ordid", u"zsordrt", u"ordid") &&
        _recomputeLines(u"SELECT d.impid, d.linnm, d.qunty, d.itmpr FROM zwimprd d, zpordrt t, zpordrd o"
                        u" WHERE t.taxrt = 1 AND o.taxrt = 0 AND t.ordid = o.ordid"
                        u" AND d.orgid = o.ordid AND d.orgln = o.linnm",
                        u"zwimprd", u"impid", false) &&
        _recomputeLines(u"SELECT d.expid, d.linnm, d.qunty, d.itmpr FROM zwexprd d, zsordrt t, zsordrd o"
                        u" WHERE t.taxrt = 1 AND o.taxrt = 0 AND t.ordid = o.ordid"
                        u" AND d.orgid = o.ordid AND d.orgln = o.linnm",
                        u"zwexprd", u"expid", false) &&
        _recomputeLines(u"SELECT d.invid, d.linnm, d.qunty, d.itmpr, o.taxrt FROM zpinvcd d, zwimprd w, zpordrt t,"
                        u" zpordrd o WHERE t.taxrt = 1 AND t.ordid = o.ordid AND d.orgid = w.impid"
                        u" AND d.orgln = w.linnm AND w.orgid = o.ordid AND w.orgln = o.linnm",
                        u"zpinvcd", u"invid", true) &&
        _recomputeTotals(u"SELECT invid, sum(pramt) FROM zpinvcd GROUP BY invid", u"zpinvct", u"invid") &&
        _recomputeLines(u"SELECT d.invid, d.linnm, d.qunty, d.itmpr, o.taxrt FROM zsinvcd d, zwexprd w, zsordrt t,"
                        u" zsordrd o WHERE t.taxrt = 1 AND t.ordid = o.ordid AND d.orgid = w.expid"
                        u" AND d.orgln = w.linnm AND w.orgid = o.ordid AND w.orgln = o.linnm",
                        u"zsinvcd", u"invid", true) &&
        _recomputeTotals(u"SELECT invid, sum(pramt) FROM zsinvcd GROUP BY invid", u"zsinvct", u"invid") &&
        _writeVersion(u"20100228", true);
    return done && transaction.commit();
}

// ---------------------------------------------------- step B: discount

bool DataUpgrade::discount()
{
    static const char16_t* const ROUNDING[] = {
        u"UPDATE zpordrt SET amont = round(amont, 2), paids = round(paids, 2), disct = 0.0",
        u"UPDATE zpinvct SET amont = round(amont, 2), paids = round(paids, 2)",
        u"UPDATE zppymnt SET amont = round(amont, 2)",
        u"UPDATE zsordrt SET amont = round(amont, 2), paids = round(paids, 2), disct = 0.0",
        u"UPDATE zsinvct SET amont = round(amont, 2), paids = round(paids, 2)",
        u"UPDATE zspymnt SET amont = round(amont, 2)",
    };
    DbTransaction transaction(session_);
    if (!transaction.isActive())
        return false;
    // A decimal column is REAL: a NUMERIC one would keep whole amounts as
    // integers. A table that has the column already keeps it.
    for (const char16_t* table : {u"zpordrt", u"zsordrt"}) {
        String sql;
        sql.format(u"ALTER TABLE %s ADD disct REAL default 0", table);
        if (!_hasColumn(table, u"disct") && !session_->execute(sql))
            return false;
    }
    for (const char16_t* sql : ROUNDING)
        if (!session_->execute(sql))
            return false;
    return _writeVersion(u"20110228", false) && transaction.commit();
}

// ---------------------------------------------- step C: settled orders

// An order still has work when a line is not fully received or shipped,
// or, for an order to be invoiced, not fully invoiced.
bool DataUpgrade::_orderIsOpen(const char16_t* lines, const String& ordid, bool invoiced)
{
    String id = session_->escape(ordid);
    String sql;
    sql.format(u"SELECT count(*) FROM %s WHERE ordid = '%s' AND qunty != ldngs", lines, id.c_str());
    if (session_->queryInt(sql, 0) != 0)
        return true;
    if (!invoiced)
        return false;
    sql.format(u"SELECT count(*) FROM %s WHERE ordid = '%s' AND qunty != invcs", lines, id.c_str());
    return session_->queryInt(sql, 0) != 0;
}

bool DataUpgrade::_closeSettled(const char16_t* header, const char16_t* lines)
{
    String sql;
    sql.format(SETTLED_ORDERS, header, 1, 3);
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return false;
    std::vector<std::pair<String, bool>> orders;
    String ordid;
    while (cursor->next())
        orders.emplace_back(cursor->getStringAt(ordid, 0), cursor->getIntAt(1) == 1);
    cursor.reset();

    Array<String> settled;
    for (const auto& [id, invoiced] : orders)
        if (!_orderIsOpen(lines, id, invoiced))
            settled.add(new String(session_->escape(id)));
    if (settled.empty())
        return true;
    String numbers;
    numbers.join(u"', '", settled);
    sql.format(u"UPDATE %s SET stats = %d WHERE ordid IN ('%s')", header, 4, numbers.c_str());
    return session_->execute(sql);
}

bool DataUpgrade::closeSettled()
{
    DbTransaction transaction(session_);
    if (!transaction.isActive())
        return false;
    return _closeSettled(u"zsordrt", u"zsordrd") && _closeSettled(u"zpordrt", u"zpordrd") &&
           _writeVersion(u"20110401", false) && transaction.commit();
}
