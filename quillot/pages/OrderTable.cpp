#include "quillot/pages/OrderTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DocumentState.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"
#include "quillot/pages/PartnerTable.h"
#include "tessel/core/Date.h"

using tessel::Date;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const HEADER_SQL =
    u"SELECT ordid, {pkey}, {pkey} AS pid, ordty, cntrc, delvr, crncy, exchn, amont, paids, excdt, oprtr, cretr, "
    u"fnmth, rmrks, taxrt, stats, disct FROM {orders} WHERE ordid = ?";

const char16_t* const INSERT_HEADER_SQL =
    u"INSERT INTO {orders}(ordid, {pkey}, ordty, amont, cntrc, delvr, crncy, exchn, disct, excdt, oprtr, cretr, "
    u"fnmth, rmrks, taxrt, stats, paids) VALUES(?, ?, ?, 0, ?, ?, ?, ?, 0, ?, ?, ?, ?, ?, ?, 3, 0)";

const char16_t* const UPDATE_HEADER_SQL =
    u"UPDATE {orders} SET {pkey} = ?, ordty = ?, cntrc = ?, delvr = ?, crncy = ?, exchn = ?, excdt = ?, oprtr = ?, "
    u"cretr = ?, fnmth = ?, rmrks = ?, taxrt = ? WHERE ordid = ? AND stats = 3";

const char16_t* const INSERT_LINE_SQL =
    u"INSERT INTO {orderLines}(ordid, linnm, prdnm, specs, other, unitg, qunty, itmpr, taxrt, pramt, plndt, shpdt, "
    u"rmrks, ldngs, invcs) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0)";

// The guard reads the stored counters: a line keeps at least what was
// received and invoiced against it, on the side of zero it is on.
const char16_t* const UPDATE_LINE_SQL =
    u"UPDATE {orderLines} SET prdnm = ?1, specs = ?2, other = ?3, unitg = ?4, qunty = ?5, itmpr = ?6, taxrt = ?7, "
    u"pramt = ?8, plndt = ?9, shpdt = ?10, rmrks = ?11 WHERE ordid = ?12 AND linnm = ?13 AND ("
    u"(?5 > 0 AND round(?5, 4) >= round(ldngs, 4) AND round(?5, 4) >= round(invcs, 4)) OR "
    u"(?5 < 0 AND round(?5, 4) <= round(ldngs, 4) AND round(?5, 4) <= round(invcs, 4)))";

// The total may not fall below what was paid, on the side of zero it is on.
const char16_t* const SETTLE_SQL =
    u"UPDATE {orders} SET amont = ?1, disct = ?2 WHERE ordid = ?3 AND ("
    u"(?1 >= 0 AND round(?1, 2) >= round(paids, 2)) OR (?1 < 0 AND round(?1, 2) <= round(paids, 2)))";

const char16_t* const COUNTERS_SQL =
    u"SELECT (SELECT count(*) FROM {orderLines} WHERE ordid = ?1 AND round(ldngs, 4) <> 0), "
    u"(SELECT count(*) FROM {orderLines} WHERE ordid = ?1 AND round(invcs, 4) <> 0), "
    u"(SELECT count(*) FROM {orders} WHERE ordid = ?1 AND round(paids, 2) <> 0)";

// The red-ink copy negates the stored values exactly.
const char16_t* const COPY_HEADER_SQL =
    u"INSERT INTO {orders}(ordid, {pkey}, ordty, amont, cntrc, delvr, crncy, exchn, disct, excdt, oprtr, cretr, "
    u"fnmth, rmrks, taxrt, stats, paids) SELECT ?1, {pkey}, ordty, -amont, cntrc, delvr, crncy, exchn, -disct, excdt, "
    u"oprtr, ?2, ?3, ?1, taxrt, 6, 0 FROM {orders} WHERE ordid = ?4";
const char16_t* const COPY_LINES_SQL =
    u"INSERT INTO {orderLines}(ordid, linnm, prdnm, specs, other, unitg, qunty, itmpr, taxrt, pramt, plndt, shpdt, "
    u"rmrks, ldngs, invcs) SELECT ?1, linnm, prdnm, specs, other, unitg, -qunty, itmpr, taxrt, -pramt, plndt, shpdt, "
    u"rmrks, 0, 0 FROM {orderLines} WHERE ordid = ?2";
const char16_t* const COPY_CLAUSES_SQL =
    u"INSERT INTO {clauses}(ordid, linnm, clsid, cntnt) SELECT ?1, linnm, clsid, cntnt FROM {clauses} WHERE ordid = ?2";

String trimmedAt(Value* fields, const char16_t* name)
{
    return TableClass::textOf(fields, name);
}

String thisMonth()
{
    return Date::getSystemDate().format(u"%Y%m");
}

} // namespace

struct OrderTable::Header {
    String ordid;
    bool exists = false;
    String partnerName;
    int partnerId = 0;
    int ordty = 0;
    String cntrc, delvr, crncy, excdt, oprtr, rmrks;
    double exchn = 1;
    double disct = 0;
    int taxrt = 0;
};

struct OrderTable::Line {
    String type;
    int linnm = 0;
    String prdnm, specs, other, unitg, plndt, shpdt, rmrks;
    double qunty = 0, itmpr = 0, pramt = 0;
    int taxrt = 0;
};

OrderTable::OrderTable(const PageAction& page, const Side& side) : TableClass(page), side_(side) {}

// ------------------------------------------------------------------ reads

bool OrderTable::loadHeader(const String& ordid, Value* target)
{
    if (ordid.empty() || !fetchRow(target, side_.sql(HEADER_SQL), {ordid}))
        return false;
    target->insert(u"total", Rounding::text(target->getDouble(u"amont") + target->getDouble(u"disct"), 2));
    return true;
}

bool OrderTable::listLines(const String& ordid, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT ordid, linnm, prdnm, specs, other, unitg, qunty, itmpr, taxrt, pramt, plndt, "
                              u"shpdt, ldngs, invcs, rmrks FROM {orderLines} WHERE ordid = ? ORDER BY linnm"),
                    0, 0, {ordid});
}

bool OrderTable::listClauses(const String& ordid, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT linnm, clsid, cntnt FROM {clauses} WHERE ordid = ? ORDER BY clsid, linnm"), 0, 0,
                    {ordid});
}

bool OrderTable::listMovements(const String& ordid, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT d.{mkey}, d.linnm, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, "
                              u"d.taxrt, d.pramt, d.rmrks, t.trsid, t.excdt, t.stats FROM {moveLines} d "
                              u"LEFT JOIN {moves} t ON t.{mkey} = d.{mkey} WHERE d.orgid = ? ORDER BY 1 DESC, 2"),
                    0, 0, {ordid});
}

int OrderTable::listTracking(Value* data, int styles)
{
    static const char16_t* const CONDITIONS[] = {
        u"1 = 1",
        u"t.stats > 0 AND t.stats < 4 AND (round(t.paids, 2) <> round(t.amont, 2) OR round(d.ldngs, 4) <> "
        u"round(d.qunty, 4) OR (round(d.invcs, 4) <> round(d.qunty, 4) AND t.taxrt > 0))",
        u"(t.stats < 1 OR t.stats > 3 OR (round(t.paids, 2) = round(t.amont, 2) AND round(d.ldngs, 4) = "
        u"round(d.qunty, 4) AND (round(d.invcs, 4) = round(d.qunty, 4) OR t.taxrt = 0)))",
        u"1 = 1",
    };
    ListQuery query(side_.sql(u"t.ordid, d.linnm, t.ordty, t.amont, t.paids, t.{pkey}, t.cntrc, t.crncy, t.exchn, "
                              u"t.excdt, t.oprtr, t.cretr, t.fnmth, t.rmrks AS rmrkt, t.stats, d.prdnm, d.specs, "
                              u"d.other, d.unitg, d.qunty, d.itmpr, d.taxrt, d.pramt, d.plndt, d.shpdt, d.ldngs, "
                              u"d.invcs, d.rmrks, s.{pname}"),
                    side_.sql(u"FROM {orderLines} d LEFT JOIN {orders} t ON t.ordid = d.ordid LEFT JOIN {partners} s "
                              u"ON t.{pkey} = s.{pkey}"),
                    u" ORDER BY t.excdt DESC, t.ordid DESC, d.linnm",
                    {u"t.ordid", u"t.cntrc", u"t.excdt", u"t.stats", u"s.splnm", u"s.cltnm", u"t.splid", u"t.cltid",
                     u"d.prdnm", u"d.specs", u"d.plndt", u"d.shpdt", u"t.rmrks"});
    query.where(CONDITIONS[styles & 3]);
    return listPage(data, query);
}

bool OrderTable::listStandardClauses(Value* target)
{
    return listRows(target, u"SELECT svalue as cntnt FROM zsysconf WHERE classid = ? ORDER BY nameid", 0, 0,
                    {side_.clauseClass});
}

// ---------------------------------------------------------------- input

bool OrderTable::_readHeader(Value* fields, Header& out)
{
    if (!documentNumber(fields->getAt(u"ordid"), out.ordid))
        return fail(u"ordid");
    String loaded = trimmedAt(fields, u"_exist");
    out.exists = !loaded.empty();
    // The form edits the order it loaded: its number cannot change there.
    if (out.exists && loaded != out.ordid)
        return fail(u"ordid");
    out.partnerName = trimmedAt(fields, side_.partnerName);
    if (out.partnerName.empty())
        return fail(side_.partnerName);
    if (!dateText(fields->getAt(u"excdt"), false, out.excdt))
        return fail(u"excdt");
    if (!readInt(fields, u"ordty", out.ordty))
        return false;
    bool noRate = trimmedAt(fields, u"exchn").empty();
    if (!readNumber(fields, u"exchn", Rounding::PRICE, out.exchn))
        return false;
    if (noRate)
        out.exchn = 1;
    if (out.exchn <= 0)
        return fail(u"exchn");
    if (!readNumber(fields, u"disct", Rounding::MONEY, out.disct))
        return false;
    if (out.disct < 0)
        return fail(u"disct");
    labelToCode(fields, u"taxtype", u"taxrt");
    if (!readInt(fields, u"taxrt", out.taxrt))
        return false;
    out.taxrt = out.taxrt != 0 ? 1 : 0;
    out.cntrc = trimmedAt(fields, u"cntrc");
    out.delvr = trimmedAt(fields, u"delvr");
    out.crncy = trimmedAt(fields, u"crncy");
    out.oprtr = trimmedAt(fields, u"oprtr");
    out.rmrks = trimmedAt(fields, u"rmrks");
    return true;
}

bool OrderTable::_readLine(Value* row, bool taxed, double taxFactor, Line& out)
{
    out.type = trimmedAt(row, u"_type");
    if (out.type == u"update" || out.type == u"delete") {
        out.linnm = row->getInt(u"linnm");
        if (out.linnm < 1)
            return fail(u"linnm");
        if (out.type == u"delete")
            return true;
    } else {
        out.type = u"create";
    }
    out.prdnm = trimmedAt(row, u"prdnm");
    out.specs = trimmedAt(row, u"specs");
    if (out.prdnm.empty())
        return fail(u"prdnm");
    if (out.specs.empty())
        return fail(u"specs");
    if (!dateText(row->getAt(u"plndt"), false, out.plndt))
        return fail(u"plndt");
    if (!dateText(row->getAt(u"shpdt"), true, out.shpdt))
        return fail(u"shpdt");
    if (!readNumber(row, u"qunty", Rounding::QUANTITY, out.qunty))
        return false;
    if (out.qunty == 0)
        return fail(u"qunty");
    if (!readNumber(row, u"itmpr", Rounding::PRICE, out.itmpr))
        return false;
    if (out.itmpr <= 0)
        return fail(u"itmpr");
    labelToCode(row, u"taxtype", u"taxrt");
    if (!readInt(row, u"taxrt", out.taxrt))
        return false;
    out.taxrt = out.taxrt != 0 ? 1 : 0;
    if (!taxed && out.taxrt)
        return fail(u"taxrt");
    double amount = out.qunty * out.itmpr;
    if (taxed && !out.taxrt)
        amount *= taxFactor;
    out.pramt = Rounding::price(amount);
    out.other = trimmedAt(row, u"other");
    out.unitg = trimmedAt(row, u"unitg");
    out.rmrks = trimmedAt(row, u"rmrks");
    return true;
}

bool OrderTable::_readLines(Value* list, bool taxed, double taxFactor, std::vector<Line>& out)
{
    String key;
    for (int i = 0; list && list->isMap(); i++) {
        Value* row = list->getIndex(i, key);
        if (!row)
            break;
        if (!row->isMap())
            continue;
        Line line;
        if (!_readLine(row, taxed, taxFactor, line))
            return false;
        out.push_back(line);
    }
    return true;
}

bool OrderTable::_readClauses(Value* extra, std::vector<String>& out)
{
    String key;
    for (int i = 0; extra && extra->isMap(); i++) {
        Value* row = extra->getIndex(i, key);
        if (!row)
            break;
        String text = row->isMap() ? trimmedAt(row, u"cntnt") : String();
        if (text.empty())
            return fail(u"cntnt");
        out.push_back(text);
    }
    return true;
}

// ---------------------------------------------------------------- saves

bool OrderTable::save(Value* fields, const String& user, double taxFactor)
{
    Header header;
    std::vector<Line> lines;
    std::vector<String> clauses;
    if (!session() || !fields || !_readHeader(fields, header) ||
        !_readLines(fields->find(u"list"), header.taxrt != 0, taxFactor, lines) ||
        !_readClauses(fields->find(u"extra"), clauses))
        return false;
    if (!header.exists) {
        bool anyLine = false;
        for (const Line& line : lines)
            anyLine = anyLine || line.type != u"delete";
        if (!anyLine)
            return fail(u"child");
    }
    // A partner made by name stays, as a partner of its own.
    PartnerTable partners(Beside{*this}, side_);
    header.partnerId = partners.createByName(header.partnerName);
    if (header.partnerId < 1)
        return fail(partners.getError());
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    bool saved = header.exists ? _update(header, lines, user) : _insert(header, lines, user);
    return saved && _saveClauses(header.ordid, clauses) && (transaction.commit() || fail(u"update"));
}

bool OrderTable::_insert(const Header& header, const std::vector<Line>& lines, const String& user)
{
    if (_stateOf(header.ordid) >= 0)
        return fail(u"exist");
    if (!changeOne(side_.sql(INSERT_HEADER_SQL),
                   {header.ordid, header.partnerId, header.ordty, header.cntrc, header.delvr, header.crncy,
                    header.exchn, header.excdt, header.oprtr, user, thisMonth(), header.rmrks, header.taxrt},
                   u"insert"))
        return false;
    int linnm = 0;
    for (const Line& line : lines)
        if (line.type != u"delete" && !_insertLine(header.ordid, ++linnm, line))
            return false;
    return _settleTotal(header.ordid, header.disct);
}

bool OrderTable::_update(const Header& header, const std::vector<Line>& lines, const String& user)
{
    if (!changeOne(side_.sql(UPDATE_HEADER_SQL),
                   {header.partnerId, header.ordty, header.cntrc, header.delvr, header.crncy, header.exchn,
                    header.excdt, header.oprtr, user, thisMonth(), header.rmrks, header.taxrt, header.ordid},
                   u"update"))
        return false;
    int last = session()->queryInt(side_.sql(u"SELECT max(linnm) FROM {orderLines} WHERE ordid = ?"), {header.ordid},
                                   0);
    for (const Line& line : lines) {
        bool saved = line.type == u"delete"   ? _deleteLine(header.ordid, line.linnm)
                     : line.type == u"update" ? _updateLine(header.ordid, line)
                                              : _insertLine(header.ordid, ++last, line);
        if (!saved)
            return false;
    }
    return _settleTotal(header.ordid, header.disct);
}

bool OrderTable::_insertLine(const String& ordid, int linnm, const Line& line)
{
    return changeOne(side_.sql(INSERT_LINE_SQL),
                     {ordid, linnm, line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr, line.taxrt,
                      line.pramt, line.plndt, line.shpdt, line.rmrks},
                     u"insert") &&
           _registerProduct(line);
}

bool OrderTable::_updateLine(const String& ordid, const Line& line)
{
    Ref<IDbCursor> stored;
    String sql = side_.sql(u"SELECT ldngs, invcs FROM {orderLines} WHERE ordid = ? AND linnm = ?");
    if (!session()->openCursor(sql, {ordid, line.linnm}, stored.out()) || !stored) {
        reportFailure(sql, u"update");
        return false;
    }
    if (!stored->next())
        return fail(u"linnm");
    double ldngs = stored->getDoubleAt(0), invcs = stored->getDoubleAt(1);
    stored.reset();
    // Which counter the new quantity would pass, for the answer.
    auto passes = [&line](double counter) {
        double q = Rounding::quantity(line.qunty), c = Rounding::quantity(counter);
        return line.qunty > 0 ? q < c : q > c;
    };
    const char16_t* key = passes(ldngs) ? u"ldngs" : passes(invcs) ? u"invcs" : u"update";
    return changeOne(side_.sql(UPDATE_LINE_SQL),
                     {line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr, line.taxrt, line.pramt,
                      line.plndt, line.shpdt, line.rmrks, ordid, line.linnm},
                     key) &&
           _registerProduct(line);
}

bool OrderTable::_deleteLine(const String& ordid, int linnm)
{
    Ref<IDbCursor> stored;
    String sql = side_.sql(u"SELECT round(ldngs, 4), round(invcs, 4) FROM {orderLines} WHERE ordid = ? AND linnm = ?");
    if (!session()->openCursor(sql, {ordid, linnm}, stored.out()) || !stored) {
        reportFailure(sql, u"update");
        return false;
    }
    if (!stored->next())
        return fail(u"linnm");
    if (stored->getDoubleAt(0) != 0)
        return fail(u"ldngs");
    if (stored->getDoubleAt(1) != 0)
        return fail(u"invcs");
    stored.reset();
    return changeOne(side_.sql(u"DELETE FROM {orderLines} WHERE ordid = ? AND linnm = ? AND round(ldngs, 4) = 0 "
                               u"AND round(invcs, 4) = 0"),
                     {ordid, linnm}, u"update");
}

bool OrderTable::_registerProduct(const Line& line)
{
    return run(u"INSERT INTO zcprdct(prdnm, specs, clsid, unitg, qunty, itmpr) SELECT ?1, ?2, 0, ?3, 0, 0 "
               u"WHERE NOT EXISTS (SELECT 1 FROM zcprdct WHERE prdnm = ?1 AND specs = ?2)",
               {line.prdnm, line.specs, line.unitg}, u"zcprdc");
}

bool OrderTable::_settleTotal(const String& ordid, double discount)
{
    double total = Rounding::money(
        session()->queryDouble(side_.sql(u"SELECT sum(pramt) FROM {orderLines} WHERE ordid = ?"), {ordid}, 0));
    // A return takes no discount; a discount never passes the total.
    if ((total < 0 && discount != 0) || (total >= 0 && discount > total))
        return fail(u"disct");
    return changeOne(side_.sql(SETTLE_SQL), {Rounding::money(total - discount), discount, ordid}, u"paids");
}

bool OrderTable::_saveClauses(const String& ordid, const std::vector<String>& clauses)
{
    String key = Side::keyOf(side_.clauseTable);
    if (!run(side_.sql(u"DELETE FROM {clauses} WHERE ordid = ?"), {ordid}, key.c_str()))
        return false;
    int linnm = 0;
    for (const String& text : clauses)
        if (!changeOne(side_.sql(u"INSERT INTO {clauses}(ordid, linnm, clsid, cntnt) VALUES(?, ?, 0, ?)"),
                       {ordid, ++linnm, text}, u"insert"))
            return false;
    return true;
}

// ------------------------------------------------------- state changes

int OrderTable::_stateOf(const String& ordid, String* remarks)
{
    Ref<IDbCursor> row;
    String sql = side_.sql(u"SELECT stats, rmrks FROM {orders} WHERE ordid = ?");
    if (!session()->openCursor(sql, {ordid}, row.out()) || !row) {
        reportFailure(sql, u"update");
        return -1;
    }
    if (!row->next())
        return -1;
    if (remarks)
        row->getStringAt(*remarks, 1);
    return row->getIntAt(0);
}

bool OrderTable::_isUntouched(const String& ordid)
{
    Ref<IDbCursor> row;
    String sql = side_.sql(COUNTERS_SQL);
    if (!session()->openCursor(sql, {ordid}, row.out()) || !row || !row->next()) {
        reportFailure(sql, u"update");
        return false;
    }
    if (row->getIntAt(0) > 0)
        return fail(u"ldngs");
    if (row->getIntAt(1) > 0)
        return fail(u"invcs");
    return row->getIntAt(2) == 0 || fail(u"paids");
}

bool OrderTable::reverse(const String& ordid, const String& user)
{
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    String missing = Side::keyOf(side_.orderTable);
    int state = _stateOf(ordid);
    if (state < 0)
        return fail(missing);
    if (state != STATE_OPEN && state != STATE_FINISHED)
        return fail(u"rubric");
    if (session()->queryInt(side_.sql(u"SELECT count(*) FROM {orderLines} WHERE ordid = ?"), {ordid}, 0) < 1)
        return fail(missing);
    if (!_isUntouched(ordid))
        return false;
    String copy = ordid + u"R";
    if (_stateOf(copy) >= 0)
        return fail(u"makered");
    return changeOne(side_.sql(u"UPDATE {orders} SET stats = 5 WHERE ordid = ? AND stats IN (3, 4)"), {ordid},
                     u"rubric") &&
           changeOne(side_.sql(COPY_HEADER_SQL), {copy, user, thisMonth(), ordid}, u"makered") &&
           run(side_.sql(COPY_LINES_SQL), {copy, ordid}, u"makered") &&
           run(side_.sql(COPY_CLAUSES_SQL), {copy, ordid}, u"makered") && (transaction.commit() || fail(u"update"));
}

bool OrderTable::remove(const String& ordid)
{
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    String remarks;
    int state = _stateOf(ordid, &remarks);
    if (state != STATE_NEW && state != STATE_RED_INK)
        return fail(u"delete");
    if (!_isUntouched(ordid))
        return false;
    // Removing a red-ink copy makes the order it reversed editable again.
    if (state == STATE_RED_INK && !changeOne(side_.sql(u"UPDATE {orders} SET stats = 3 WHERE ordid = ? AND stats = 5"),
                                             {remarks.substr(0, remarks.size() - 1)}, u"delete"))
        return false;
    return changeOne(side_.sql(u"DELETE FROM {orders} WHERE ordid = ? AND stats IN (1, 6)"), {ordid}, u"delete") &&
           run(side_.sql(u"DELETE FROM {orderLines} WHERE ordid = ?"), {ordid}, u"delete") &&
           run(side_.sql(u"DELETE FROM {clauses} WHERE ordid = ?"), {ordid}, u"delete") &&
           (transaction.commit() || fail(u"update"));
}

bool OrderTable::close(const String& ordid)
{
    return changeOne(side_.sql(u"UPDATE {orders} SET stats = 4 WHERE stats > 0 AND stats < 4 AND ordid = ?"), {ordid},
                     u"failed");
}
