#include "quillot/pages/MovementTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DocumentState.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"
#include "quillot/pages/PartnerTable.h"
#include "quillot/pages/ProductStock.h"
#include "tessel/core/Date.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// Receipts have a delivery person, issues do not: "{delvr}" and "{delvr?}"
// stand for that column and its value in the statements of both.
const char16_t* const HEADER_SQL =
    u"SELECT {mkey}, {mtype}, {pkey}, {pkey} AS pid, crncy, exchn, trsid, {delvr}excdt, invdt, pymdt, oprtr, cretr, "
    u"fnmth, rmrks, stats FROM {moves} WHERE {mkey} = ?";

const char16_t* const INSERT_HEADER_SQL =
    u"INSERT INTO {moves}({mkey}, {mtype}, {pkey}, crncy, exchn, trsid, {delvr}excdt, invdt, pymdt, oprtr, cretr, "
    u"fnmth, rmrks, stats) VALUES(?, ?, ?, ?, ?, ?, {delvr?}?, ?, ?, ?, ?, ?, ?, 3)";

const char16_t* const UPDATE_HEADER_SQL =
    u"UPDATE {moves} SET {mtype} = ?, {pkey} = ?, crncy = ?, exchn = ?, trsid = ?, {delvr=?}excdt = ?, invdt = ?, "
    u"pymdt = ?, oprtr = ?, cretr = ?, fnmth = ?, rmrks = ? WHERE {mkey} = ? AND stats = 3";

const char16_t* const LINES_SQL =
    u"SELECT d.{mkey}, d.linnm, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.invcs, d.itmpr, d.taxrt, d.pramt, "
    u"d.orgid, d.orgln, d.rmrks, o.taxrt AS taxes, t.{pkey} FROM {moveLines} d LEFT JOIN {orders} o "
    u"ON d.orgid = o.ordid LEFT JOIN {moves} t ON d.{mkey} = t.{mkey} WHERE d.{mkey} = ? ORDER BY d.linnm";

const char16_t* const INVOICES_SQL =
    u"SELECT d.invid, d.linnm, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, d.pramt, d.rmrks, t.invty, "
    u"t.bilid, t.excdt FROM {invoiceLines} d LEFT JOIN {invoices} t ON t.invid = d.invid WHERE d.orgid = ? "
    u"ORDER BY 1 DESC, 2";

// Open order lines (ordered less moved) of a partner's orders that are
// neither finished, reversed nor red-ink copies, with the stock on hand.
const char16_t* const OPEN_LINES_SQL =
    u"SELECT d.ordid AS orgid, d.linnm AS orgln, d.prdnm, d.specs, d.other, d.unitg, "
    u"round(d.qunty - d.ldngs, 4) AS qunty, d.qunty AS ordered, d.ldngs, d.itmpr, d.taxrt, d.rmrks, "
    u"coalesce(p.qunty, 0) AS stock FROM {orderLines} d JOIN {orders} t ON t.ordid = d.ordid "
    u"LEFT JOIN zcprdct p ON p.prdnm = d.prdnm AND p.specs = d.specs "
    u"WHERE t.{pkey} = ? AND t.stats IN (1, 2, 3) AND round(d.qunty - d.ldngs, 4) <> 0";

const char16_t* const INSERT_LINE_SQL =
    u"INSERT INTO {moveLines}({mkey}, linnm, prdnm, specs, other, unitg, qunty, itmpr, taxrt, pramt, rmrks, orgid, "
    u"orgln, invcs) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0)";

const char16_t* const STORED_LINE_SQL =
    u"SELECT qunty, orgid, orgln, prdnm, specs, unitg, itmpr, invcs FROM {moveLines} WHERE {mkey} = ? AND linnm = ?";

// An invoiced line keeps at least what was invoiced, on its side of zero.
const char16_t* const UPDATE_LINE_SQL =
    u"UPDATE {moveLines} SET prdnm = ?1, specs = ?2, other = ?3, unitg = ?4, qunty = ?5, itmpr = ?6, taxrt = ?7, "
    u"pramt = ?8, rmrks = ?9 WHERE {mkey} = ?10 AND linnm = ?11 AND (round(invcs, 4) = 0 OR "
    u"(invcs > 0 AND round(?5, 4) >= round(invcs, 4)) OR (invcs < 0 AND round(?5, 4) <= round(invcs, 4)))";

// The red-ink copy negates the stored values exactly.
const char16_t* const COPY_HEADER_SQL =
    u"INSERT INTO {moves}({mkey}, {mtype}, {pkey}, crncy, exchn, trsid, {delvr}excdt, invdt, pymdt, oprtr, cretr, "
    u"fnmth, rmrks, stats) SELECT ?1, {mtype}, {pkey}, crncy, exchn, trsid, {delvr}excdt, invdt, pymdt, oprtr, ?2, "
    u"?3, ?4, 6 FROM {moves} WHERE {mkey} = ?5";
const char16_t* const COPY_LINES_SQL =
    u"INSERT INTO {moveLines}({mkey}, linnm, prdnm, specs, other, unitg, qunty, itmpr, taxrt, pramt, rmrks, orgid, "
    u"orgln, invcs) SELECT ?1, linnm, prdnm, specs, other, unitg, -qunty, itmpr, taxrt, -pramt, rmrks, orgid, orgln, "
    u"0 FROM {moveLines} WHERE {mkey} = ?2";

// Lines against orders of another partner than the document's.
const char16_t* const FOREIGN_ORDERS_SQL =
    u"SELECT count(*) FROM {moveLines} d JOIN {orders} t ON t.ordid = d.orgid WHERE d.{mkey} = ? AND t.{pkey} <> ?";

bool isZero(double quantity)
{
    return Rounding::quantity(quantity) == 0;
}

// A date field for SQL: its own text form, or null when it was left empty.
DbParam dateParam(const String& date)
{
    return date.empty() ? DbParam::null() : DbParam(date);
}

} // namespace

MovementTable::MovementTable(const PageAction& page, const Side& side)
    : DocumentTable(page, side, {side.movementTable, side.movementLines, side.movementKey, side.movementKind})
{
}

String MovementTable::sql(const char16_t* text) const
{
    String out = DocumentTable::sql(text);
    bool receipt = side().isPurchase();
    out.replace(u"{delvr}", receipt ? u"delvr, " : u"");
    out.replace(u"{delvr?}", receipt ? u"?, " : u"");
    out.replace(u"{delvr=?}", receipt ? u"delvr = ?, " : u"");
    return out;
}

const char16_t* MovementTable::copyHeaderSql() const
{
    return COPY_HEADER_SQL;
}

const char16_t* MovementTable::copyLinesSql() const
{
    return COPY_LINES_SQL;
}

bool MovementTable::mayUndo(const String& number)
{
    return session()->queryInt(sql(u"SELECT count(*) FROM {moveLines} WHERE {mkey} = ? AND round(invcs, 4) <> 0"),
                               {number}, 0) == 0 ||
           fail(u"invcs");
}

// ------------------------------------------------------------------ reads

bool MovementTable::loadHeader(const String& number, Value* target)
{
    if (number.empty() || !fetchRow(target, sql(HEADER_SQL), {number}))
        return false;
    double total = session()->queryDouble(sql(u"SELECT sum(pramt) FROM {moveLines} WHERE {mkey} = ?"), {number}, 0);
    target->insert(u"total", Rounding::text(total, Rounding::MONEY));
    return true;
}

bool MovementTable::listLines(const String& number, Value* target)
{
    return listRows(target, sql(LINES_SQL), 0, 0, {number});
}

bool MovementTable::listInvoices(const String& number, Value* target)
{
    return listRows(target, sql(INVOICES_SQL), 0, 0, {number});
}

bool MovementTable::listOrderLines(const String& orders, Value* target, int& partner)
{
    partner = 0;
    String first = firstNumber(orders);
    if (first.empty() || !session())
        return true;
    partner = session()->queryInt(sql(u"SELECT {pkey} FROM {orders} WHERE ordid = ?"), {first}, 0);
    String query = sql(OPEN_LINES_SQL) + u" AND d.ordid IN (" + numberList(orders) + u") ORDER BY d.ordid, d.linnm";
    return listRows(target, query, 0, 0, {partner});
}

bool MovementTable::listOpenLines(int partner, Value* target)
{
    return listRows(target, sql(OPEN_LINES_SQL) + u" ORDER BY d.ordid, d.linnm", 0, 0, {partner});
}

int MovementTable::listPage(Value* data)
{
    ListQuery query(sql(u"t.{mkey}, d.linnm, t.{mtype}, t.{pkey}, t.trsid, t.crncy, t.exchn, t.excdt, t.cretr, "
                        u"t.fnmth, t.rmrks AS rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, "
                        u"d.invcs, d.itmpr, d.taxrt, d.pramt, d.orgid, d.orgln, d.rmrks, s.{pname}"),
                    sql(u"FROM {moveLines} d LEFT JOIN {moves} t ON t.{mkey} = d.{mkey} LEFT JOIN {partners} s "
                        u"ON t.{pkey} = s.{pkey}"),
                    u" ORDER BY 1 DESC, 2",
                    {u"t.impid", u"t.expid", u"t.splid", u"t.cltid", u"s.splnm", u"s.cltnm", u"t.trsid", u"t.excdt",
                     u"t.stats", u"d.prdnm", u"d.specs", u"d.other", u"d.orgid", u"d.qunty", u"d.rmrks"});
    return TableClass::listPage(data, query);
}

// ---------------------------------------------------------------- input

bool MovementTable::_readHeader(Value* fields, MovementDocument& out)
{
    if (!readCommonHeader(fields, out))
        return false;
    if (!dateText(fields->getAt(u"invdt"), true, out.invdt))
        return fail(u"invdt");
    if (!dateText(fields->getAt(u"pymdt"), true, out.pymdt))
        return fail(u"pymdt");
    if (!readInt(fields, side().movementType, out.type))
        return false;
    out.crncy = textOf(fields, u"crncy");
    out.trsid = textOf(fields, u"trsid");
    out.delvr = textOf(fields, u"delvr");
    out.oprtr = textOf(fields, u"oprtr");
    out.rmrks = textOf(fields, u"rmrks");
    return true;
}

bool MovementTable::_readLines(Value* list, MovementDocument& out)
{
    return readRows(list, PRODUCT_FIELDS, out.lines,
                    [this](Value* row, MovementDocument::Line& line) { return _readLine(row, line); });
}

bool MovementTable::_readLine(Value* row, MovementDocument::Line& out)
{
    if (!readProduct(row, out.prdnm, out.specs, out.qunty, out.itmpr))
        return false;
    String orgid = textOf(row, u"orgid");
    if (!orgid.empty() && !documentNumber(orgid, out.orgid))
        return fail(Side::keyOf(side().orderTable));
    // Goods may leave free of charge, never against an order; they never
    // come in free, which would lower the average cost for nothing.
    bool freeAllowed = !side().isPurchase() && out.orgid.empty();
    if (out.itmpr < 0 || (out.itmpr == 0 && !freeAllowed))
        return fail(u"itmpr");
    if (!readInt(row, u"orgln", out.orgln))
        return false;
    labelToCode(row, u"taxtype", u"taxrt");
    if (!readInt(row, u"taxrt", out.taxrt))
        return false;
    out.taxrt = out.taxrt != 0 ? 1 : 0;
    out.other = textOf(row, u"other");
    out.unitg = textOf(row, u"unitg");
    out.rmrks = textOf(row, u"rmrks");
    return true;
}

// ---------------------------------------------------------------- saves

bool MovementTable::save(Value* fields, const String& user, double taxFactor)
{
    MovementDocument document;
    if (!session() || !fields || !_readHeader(fields, document) || !_readLines(fields->find(u"list"), document))
        return false;
    if (document.number.empty() && !anyKept(document.lines))
        return fail(u"child");
    // A partner made by name stays, as a partner of its own.
    PartnerTable partners(Beside{*this}, side());
    document.partnerId = partners.createByName(document.partnerName);
    if (document.partnerId < 1)
        return fail(partners.getError().empty() ? String(side().partnerName) : partners.getError());
    if (document.number.empty())
        return insert(document, user, taxFactor);
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    number_ = document.number;
    return _update(document, user, taxFactor) && (transaction.commit() || fail(u"update"));
}

bool MovementTable::insert(const MovementDocument& document, const String& user, double taxFactor)
{
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"insert");
    return _insert(document, user, taxFactor) && (transaction.commit() || fail(u"insert"));
}

bool MovementTable::_insert(const MovementDocument& document, const String& user, double taxFactor)
{
    if (!drawDocumentNumber(u"insert"))
        return false;
    DbParams header{number_, document.type, document.partnerId, document.crncy, document.exchn, document.trsid};
    if (side().isPurchase())
        header.add(document.delvr);
    header.add(document.excdt)
        .add(dateParam(document.invdt))
        .add(dateParam(document.pymdt))
        .add(document.oprtr)
        .add(user)
        .add(thisMonth())
        .add(document.rmrks);
    if (!changeOne(sql(INSERT_HEADER_SQL), header, u"insert"))
        return false;
    MovementDocument saved = document;
    saved.number = number_;
    int linnm = 0;
    for (const MovementDocument::Line& line : document.lines)
        if (line.kind != ROW_DELETE && !_insertLine(saved, ++linnm, line, user, taxFactor))
            return false;
    return true;
}

bool MovementTable::_update(const MovementDocument& document, const String& user, double taxFactor)
{
    DbParams header{document.type, document.partnerId, document.crncy, document.exchn, document.trsid};
    if (side().isPurchase())
        header.add(document.delvr);
    header.add(document.excdt)
        .add(dateParam(document.invdt))
        .add(dateParam(document.pymdt))
        .add(document.oprtr)
        .add(user)
        .add(thisMonth())
        .add(document.rmrks)
        .add(document.number);
    if (!changeOne(sql(UPDATE_HEADER_SQL), header, u"update"))
        return false;
    int next = nextLine(document.number);
    for (const MovementDocument::Line& line : document.lines) {
        bool saved = line.kind == ROW_DELETE   ? deleteLine(document.number, line.linnm, document.partnerId, user)
                     : line.kind == ROW_UPDATE ? _updateLine(document, line, user, taxFactor)
                                               : _insertLine(document, next++, line, user, taxFactor);
        if (!saved)
            return false;
    }
    // Lines saved before keep their orders: the partner may not move away
    // from them.
    if (session()->queryInt(sql(FOREIGN_ORDERS_SQL), {document.number, document.partnerId}, 0) > 0)
        return fail(Side::keyOf(side().orderTable));
    return true;
}

namespace {

// A line's amount: with the tax added when the order is with tax and the
// line's price without; the line then counts as without tax.
double amountOf(double qunty, double itmpr, bool taxAdd, double taxFactor)
{
    return Rounding::price(qunty * itmpr * (taxAdd ? taxFactor : 1.0));
}

} // namespace

bool MovementTable::_insertLine(const MovementDocument& document, int linnm, const MovementDocument::Line& line,
                                const String& user, double taxFactor)
{
    StockMove move;
    move.ordid = line.orgid;
    move.orgln = line.orgid.empty() ? 0 : line.orgln;
    move.partner = document.partnerId;
    move.orderQty = line.qunty;
    move.month = thisMonth();
    move.user = user;
    move.prdnm = line.prdnm;
    move.specs = line.specs;
    move.unitg = line.unitg;
    move.qty = line.qunty;
    move.amount = Rounding::price(line.qunty * line.itmpr);
    ProductStock stock(Beside{*this});
    bool taxAdd = false;
    if (!stock.move(side(), move, taxAdd))
        return fail(stock.getError());
    return changeOne(sql(INSERT_LINE_SQL),
                     {document.number, linnm, line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr,
                      taxAdd ? 0 : line.taxrt, amountOf(line.qunty, line.itmpr, taxAdd, taxFactor), line.rmrks,
                      move.ordid, move.orgln},
                     u"insert");
}

namespace {

// A line as it is stored.
struct StoredLine {
    double qunty = 0, itmpr = 0, invcs = 0;
    String orgid, prdnm, specs, unitg;
    int orgln = 0;
};

} // namespace

bool MovementTable::_updateLine(const MovementDocument& document, const MovementDocument::Line& line,
                                const String& user, double taxFactor)
{
    Ref<IDbCursor> row;
    String query = sql(STORED_LINE_SQL);
    if (!session()->openCursor(query, {document.number, line.linnm}, row.out()) || !row) {
        reportFailure(query, u"update");
        return false;
    }
    if (!row->next())
        return fail(u"linnm");
    StoredLine stored;
    stored.qunty = row->getDoubleAt(0);
    row->getStringAt(stored.orgid, 1);
    stored.orgln = row->getIntAt(2);
    row->getStringAt(stored.prdnm, 3);
    row->getStringAt(stored.specs, 4);
    row->getStringAt(stored.unitg, 5);
    stored.itmpr = row->getDoubleAt(6);
    stored.invcs = row->getDoubleAt(7);
    row.reset();
    bool sameProduct = stored.prdnm == line.prdnm && stored.specs == line.specs;
    if (!isZero(stored.invcs)) {
        double q = Rounding::quantity(line.qunty), invoiced = Rounding::quantity(stored.invcs);
        if (!sameProduct || (invoiced > 0 ? q < invoiced : q > invoiced))
            return fail(u"invcs");
    }
    // The order moves by the change; the stock moves the old line out and
    // the new one in, at once when the product stays.
    StockMove move;
    move.ordid = stored.orgid;
    move.orgln = stored.orgln;
    move.partner = document.partnerId;
    move.orderQty = line.qunty - stored.qunty;
    move.month = thisMonth();
    move.user = user;
    move.prdnm = stored.prdnm;
    move.specs = stored.specs;
    move.unitg = stored.unitg;
    move.qty = sameProduct ? line.qunty - stored.qunty : -stored.qunty;
    move.amount = Rounding::price((sameProduct ? line.qunty * line.itmpr : 0.0) - stored.qunty * stored.itmpr);
    ProductStock stock(Beside{*this});
    bool taxAdd = false;
    if (!stock.move(side(), move, taxAdd))
        return fail(stock.getError());
    if (!sameProduct) {
        StockMove into = move;
        into.ordid = String();
        into.orgln = 0;
        into.orderQty = 0;
        into.prdnm = line.prdnm;
        into.specs = line.specs;
        into.unitg = line.unitg;
        into.qty = line.qunty;
        into.amount = Rounding::price(line.qunty * line.itmpr);
        bool ignored = false;
        if (!stock.move(side(), into, ignored))
            return fail(stock.getError());
    }
    return changeOne(sql(UPDATE_LINE_SQL),
                     {line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr, taxAdd ? 0 : line.taxrt,
                      amountOf(line.qunty, line.itmpr, taxAdd, taxFactor), line.rmrks, document.number, line.linnm},
                     u"invcs");
}

// Moves the stock and the orders of the stored lines again, by `sign`
// times their quantities and values: -1 takes a document's goods back out
// (or, for a red-ink copy, puts them back), +1 moves them as saved. With
// `linnm` 0 every line of the document moves.
bool MovementTable::moveLines(const String& number, int linnm, int partner, const String& user, double sign)
{
    Ref<IDbCursor> rows;
    String query = sql(u"SELECT qunty, orgid, orgln, prdnm, specs, unitg, itmpr, invcs FROM {moveLines} "
                       u"WHERE {mkey} = ?1 AND (?2 = 0 OR linnm = ?2) ORDER BY linnm");
    if (!session()->openCursor(query, {number, linnm}, rows.out()) || !rows) {
        reportFailure(query, u"update");
        return false;
    }
    std::vector<StockMove> moves;
    while (rows->next()) {
        if (!isZero(rows->getDoubleAt(7)))
            return fail(u"invcs");
        StockMove move;
        double qunty = rows->getDoubleAt(0);
        rows->getStringAt(move.ordid, 1);
        move.orgln = rows->getIntAt(2);
        rows->getStringAt(move.prdnm, 3);
        rows->getStringAt(move.specs, 4);
        rows->getStringAt(move.unitg, 5);
        move.partner = partner;
        move.orderQty = move.qty = sign * qunty;
        move.amount = Rounding::price(sign * qunty * rows->getDoubleAt(6));
        move.month = thisMonth();
        move.user = user;
        moves.push_back(move);
    }
    rows.reset();
    ProductStock stock(Beside{*this});
    for (const StockMove& move : moves) {
        bool taxAdd = false;
        if (!stock.move(side(), move, taxAdd))
            return fail(stock.getError());
    }
    return true;
}

// ------------------------------------------------------- state changes

bool MovementTable::changeDates(Value* fields)
{
    String invdt, pymdt;
    if (!session() || !fields)
        return false;
    if (!dateText(fields->getAt(u"invdt"), true, invdt))
        return fail(u"invdt");
    if (!dateText(fields->getAt(u"pymdt"), true, pymdt))
        return fail(u"pymdt");
    return changeOne(sql(u"UPDATE {moves} SET invdt = ?, pymdt = ? WHERE {mkey} = ?"),
                     {dateParam(invdt), dateParam(pymdt), fields->getAt(side().movementKey)}, u"changeDate");
}
