#include "quillot/pages/InvoiceTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"
#include "tessel/core/Array.h"

using tessel::Array;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const HEADER_SQL =
    u"SELECT invid, {pkey}, {pkey} AS pid, invty, amont, bilid, crncy, exchn, eacnt, etxcd, excdt, oprtr, cretr, "
    u"fnmth, rmrks, stats FROM {invoices} WHERE invid = ?";

// What the distinct orders behind an invoice's lines still owe.
const char16_t* const LEFTS_SQL =
    u"SELECT coalesce(sum(round(o.amont - o.paids, 2)), 0) FROM {orders} o WHERE o.ordid IN (SELECT d.orgid FROM "
    u"{invoiceLines} i JOIN {moveLines} d ON d.{mkey} = i.orgid AND d.linnm = i.orgln WHERE i.invid = ?)";

const char16_t* const LINES_SQL =
    u"SELECT i.invid, i.linnm, i.prdnm, i.specs, i.other, i.unitg, i.qunty, i.itmpr, i.pramt, i.orgid, i.orgln, "
    u"w.orgid AS ordid, round(o.amont - o.paids, 2) AS ordlefts, i.rmrks FROM {invoiceLines} i LEFT JOIN "
    u"{moveLines} w ON i.orgid = w.{mkey} AND i.orgln = w.linnm LEFT JOIN {orders} o ON o.ordid = w.orgid "
    u"WHERE i.invid = ? ORDER BY i.linnm";

// Stock lines still to invoice: of documents neither reversed nor red-ink
// copies, moved without an order or against one to be invoiced.
const char16_t* const STOCK_LINES_SQL =
    u"SELECT d.{mkey} AS orgid, d.linnm AS orgln, d.orgid AS ordid, d.prdnm, d.specs, d.other, d.unitg, "
    u"round(d.qunty - d.invcs, 4) AS qunty, d.qunty AS moved, d.invcs, d.itmpr, m.excdt, m.{pkey} AS pid, "
    u"CASE WHEN coalesce(d.orgid, '') <> '' AND o.taxrt = 0 THEN 1 ELSE 0 END AS taxadd "
    u"FROM {moveLines} d JOIN {moves} m ON m.{mkey} = d.{mkey} LEFT JOIN {orders} t ON t.ordid = d.orgid "
    u"LEFT JOIN {orderLines} o ON o.ordid = d.orgid AND o.linnm = d.orgln WHERE m.stats BETWEEN 1 AND 4 "
    u"AND round(d.qunty - d.invcs, 4) <> 0 AND (coalesce(d.orgid, '') = '' OR t.taxrt = 1) AND ";

const char16_t* const STOCK_LINE_SQL =
    u"SELECT m.stats, m.{pkey}, d.orgid, d.orgln FROM {moveLines} d JOIN {moves} m ON m.{mkey} = d.{mkey} "
    u"WHERE d.{mkey} = ? AND d.linnm = ?";

// The guards read the stored lines: what is invoiced stays between 0 and
// the line's quantity, on the side of zero the line is on.
const char16_t* const INVOICE_STOCK_SQL =
    u"UPDATE {moveLines} SET invcs = round(invcs + ?1, 4) WHERE {mkey} = ?2 AND linnm = ?3 AND ("
    u"(qunty >= 0 AND round(invcs + ?1, 4) >= 0 AND round(invcs + ?1, 4) <= round(qunty, 4)) OR "
    u"(qunty < 0 AND round(invcs + ?1, 4) <= 0 AND round(invcs + ?1, 4) >= round(qunty, 4)))";
const char16_t* const INVOICE_ORDER_SQL =
    u"UPDATE {orderLines} SET invcs = round(invcs + ?1, 4) WHERE ordid = ?2 AND linnm = ?3 AND ("
    u"(qunty >= 0 AND round(invcs + ?1, 4) >= 0 AND round(invcs + ?1, 4) <= round(qunty, 4)) OR "
    u"(qunty < 0 AND round(invcs + ?1, 4) <= 0 AND round(invcs + ?1, 4) >= round(qunty, 4)))";

const char16_t* const INSERT_HEADER_SQL =
    u"INSERT INTO {invoices}(invid, {pkey}, amont, invty, bilid, crncy, exchn, eacnt, etxcd, excdt, cretr, oprtr, "
    u"fnmth, rmrks, stats, paids) VALUES(?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 3, 0)";
const char16_t* const UPDATE_HEADER_SQL =
    u"UPDATE {invoices} SET {pkey} = ?, invty = ?, bilid = ?, crncy = ?, exchn = ?, eacnt = ?, etxcd = ?, excdt = ?, "
    u"cretr = ?, oprtr = ?, fnmth = ?, rmrks = ? WHERE invid = ? AND stats = 3";
const char16_t* const INSERT_LINE_SQL =
    u"INSERT INTO {invoiceLines}(invid, linnm, prdnm, specs, other, unitg, qunty, itmpr, pramt, rmrks, orgid, orgln) "
    u"VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char16_t* const UPDATE_LINE_SQL =
    u"UPDATE {invoiceLines} SET prdnm = ?, specs = ?, other = ?, unitg = ?, qunty = ?, itmpr = ?, pramt = ?, "
    u"rmrks = ? WHERE invid = ? AND linnm = ?";

// The red-ink copy negates the stored values exactly.
const char16_t* const COPY_HEADER_SQL =
    u"INSERT INTO {invoices}(invid, {pkey}, amont, invty, bilid, crncy, exchn, eacnt, etxcd, excdt, cretr, oprtr, "
    u"fnmth, rmrks, stats, paids) SELECT ?1, {pkey}, -amont, invty, bilid, crncy, exchn, eacnt, etxcd, excdt, ?2, "
    u"oprtr, ?3, ?4, 6, 0 FROM {invoices} WHERE invid = ?5";
const char16_t* const COPY_LINES_SQL =
    u"INSERT INTO {invoiceLines}(invid, linnm, prdnm, specs, other, unitg, qunty, itmpr, pramt, rmrks, orgid, orgln) "
    u"SELECT ?1, linnm, prdnm, specs, other, unitg, -qunty, itmpr, -pramt, rmrks, orgid, orgln FROM {invoiceLines} "
    u"WHERE invid = ?2";

// Lines on stock documents of another partner than the invoice's.
const char16_t* const FOREIGN_STOCK_SQL =
    u"SELECT count(*) FROM {invoiceLines} i JOIN {moves} m ON m.{mkey} = i.orgid WHERE i.invid = ? AND "
    u"m.{pkey} <> ?";

// More references than a form can sensibly hold are not read.
constexpr int MAX_REFS = 500;

} // namespace

struct InvoiceTable::Header : CommonHeader {
    int partnerId = 0;
    int invty = 0;
    String bilid, crncy, eacnt, etxcd, oprtr, rmrks;
};

struct InvoiceTable::Line {
    RowKind kind = ROW_CREATE;
    int linnm = 0;
    String prdnm, specs, other, unitg, rmrks, orgid;
    int orgln = 0;
    double qunty = 0, itmpr = 0;
};

InvoiceTable::InvoiceTable(const PageAction& page, const Side& side)
    : DocumentTable(page, side, {side.invoiceTable, side.invoiceLines, u"invid", side.invoiceKind})
{
}

const char16_t* InvoiceTable::copyHeaderSql() const
{
    return COPY_HEADER_SQL;
}

const char16_t* InvoiceTable::copyLinesSql() const
{
    return COPY_LINES_SQL;
}

// ------------------------------------------------------------------ reads

bool InvoiceTable::loadHeader(const String& number, Value* target)
{
    if (number.empty() || !fetchRow(target, sql(HEADER_SQL), {number}))
        return false;
    target->insert(u"lefts", Rounding::text(session()->queryDouble(sql(LEFTS_SQL), {number}, 0), Rounding::MONEY));
    return true;
}

bool InvoiceTable::listLines(const String& number, Value* target)
{
    return listRows(target, sql(LINES_SQL), 0, 0, {number});
}

bool InvoiceTable::_listStock(const String& condition, const DbParams& params, double taxFactor, Value* target)
{
    if (!listRows(target, sql(STOCK_LINES_SQL) + condition + sql(u" ORDER BY d.{mkey}, d.linnm"), 0, 0, params))
        return false;
    String key;
    for (int i = 0; target->isMap(); i++) {
        Value* row = target->getIndex(i, key);
        if (!row)
            break;
        double amount = row->getDouble(u"qunty") * row->getDouble(u"itmpr");
        if (row->getInt(u"taxadd"))
            amount *= taxFactor;
        row->insert(u"pramt", Rounding::text(amount, Rounding::MONEY));
    }
    return true;
}

bool InvoiceTable::listStockLines(const String& refs, double taxFactor, Value* target, int& partner)
{
    partner = 0;
    Array<String> entries;
    refs.split(u";", entries);
    String condition;
    DbParams params;
    for (int i = 0; i < entries.size() && i < MAX_REFS; i++) {
        Array<String> parts;
        String number;
        if (entries[i]->split(u",", parts) < 1 || !documentNumber(*parts[0], number))
            continue;
        int linnm = parts.size() > 1 ? parts[1]->toInteger() : 0;
        if (partner == 0)
            partner = session() ? session()->queryInt(sql(u"SELECT {pkey} FROM {moves} WHERE {mkey} = ?"), {number}, 0)
                                : 0;
        condition += condition.empty() ? u"(" : u" OR ";
        condition += sql(u"(d.{mkey} = ? AND (? = 0 OR d.linnm = ?))");
        params.add(number).add(linnm).add(linnm);
    }
    if (condition.empty())
        return true;
    params.add(partner);
    return _listStock(condition + sql(u") AND m.{pkey} = ?"), params, taxFactor, target);
}

bool InvoiceTable::listOrderLines(const String& orders, double taxFactor, Value* target, int& partner)
{
    partner = 0;
    String first = firstNumber(orders);
    if (first.empty() || !session())
        return true;
    partner = session()->queryInt(sql(u"SELECT {pkey} FROM {orders} WHERE ordid = ?"), {first}, 0);
    return _listStock(String(u"d.orgid IN (") + numberList(orders) + sql(u") AND m.{pkey} = ?"), {partner}, taxFactor,
                      target);
}

bool InvoiceTable::listOpenLines(int partner, double taxFactor, Value* target)
{
    return _listStock(sql(u"m.{pkey} = ?"), {partner}, taxFactor, target);
}

int InvoiceTable::listPage(Value* data)
{
    ListQuery query(sql(u"t.invid, i.linnm, t.{pkey}, s.{pname}, t.invty, t.bilid, t.crncy, t.excdt, t.cretr, "
                        u"t.stats, t.amont, t.rmrks AS rmrkt, i.prdnm, i.specs, i.unitg, i.qunty, i.itmpr, i.pramt, "
                        u"i.orgid, i.orgln, w.orgid AS ordid, i.rmrks"),
                    sql(u"FROM {invoiceLines} i LEFT JOIN {invoices} t ON t.invid = i.invid LEFT JOIN {partners} s "
                        u"ON t.{pkey} = s.{pkey} LEFT JOIN {moveLines} w ON i.orgid = w.{mkey} AND i.orgln = "
                        u"w.linnm"),
                    u" ORDER BY 1 DESC, 2",
                    {u"t.invid", u"t.splid", u"t.cltid", u"s.splnm", u"s.cltnm", u"t.bilid", u"t.excdt", u"t.stats",
                     u"i.prdnm", u"i.specs", u"i.orgid", u"w.orgid", u"i.rmrks"});
    return TableClass::listPage(data, query);
}

// ---------------------------------------------------------------- input

bool InvoiceTable::_readHeader(Value* fields, Header& out)
{
    if (!readCommonHeader(fields, out))
        return false;
    labelToCode(fields, u"invtype", u"invty");
    if (!readInt(fields, u"invty", out.invty))
        return false;
    out.bilid = textOf(fields, u"bilid");
    out.crncy = textOf(fields, u"crncy");
    out.eacnt = textOf(fields, u"eacnt");
    out.etxcd = textOf(fields, u"etxcd");
    out.oprtr = textOf(fields, u"oprtr");
    out.rmrks = textOf(fields, u"rmrks");
    return true;
}

bool InvoiceTable::_readLines(Value* list, std::vector<Line>& out)
{
    return readRows(list, PRODUCT_FIELDS, out, [this](Value* row, Line& line) { return _readLine(row, line); });
}

bool InvoiceTable::_readLine(Value* row, Line& out)
{
    if (!readProduct(row, out.prdnm, out.specs, out.qunty, out.itmpr))
        return false;
    if (out.itmpr <= 0)
        return fail(u"itmpr");
    String orgid = textOf(row, u"orgid");
    if (!orgid.empty() && !documentNumber(orgid, out.orgid))
        return fail(Side::keyOf(side().movementTable));
    if (!readInt(row, u"orgln", out.orgln))
        return false;
    if (!out.orgid.empty() && out.orgln < 1)
        return fail(Side::keyOf(side().movementTable));
    out.other = textOf(row, u"other");
    out.unitg = textOf(row, u"unitg");
    out.rmrks = textOf(row, u"rmrks");
    return true;
}

// ------------------------------------------------------------- counters

bool InvoiceTable::invoiceReceipt(const String& number, int linnm, double qty, int partner, bool& taxAdd)
{
    taxAdd = false;
    String stockKey = Side::keyOf(side().movementTable);
    Ref<IDbCursor> row;
    String query = sql(STOCK_LINE_SQL);
    if (!session()->openCursor(query, {number, linnm}, row.out()) || !row) {
        reportFailure(query, stockKey.c_str());
        return false;
    }
    if (!row->next())
        return fail(stockKey);
    int state = row->getIntAt(0);
    String ordid;
    row->getStringAt(ordid, 2);
    int orgln = row->getIntAt(3);
    if (state < 1 || state > 4 || row->getIntAt(1) != partner)
        return fail(stockKey);
    row.reset();
    if (!changeOne(sql(INVOICE_STOCK_SQL), {qty, number, linnm}, u"invcs"))
        return false;
    if (ordid.empty())
        return true;
    // Only orders to be invoiced take part; the line's price decides the tax.
    String orderKey = Side::keyOf(side().orderTable);
    query = sql(u"SELECT t.taxrt, d.taxrt FROM {orders} t JOIN {orderLines} d ON d.ordid = t.ordid "
                u"WHERE t.ordid = ? AND d.linnm = ?");
    if (!session()->openCursor(query, {ordid, orgln}, row.out()) || !row) {
        reportFailure(query, orderKey.c_str());
        return false;
    }
    if (!row->next())
        return fail(orderKey);
    if (row->getIntAt(0) == 0)
        return fail(stockKey);
    taxAdd = row->getIntAt(1) == 0;
    row.reset();
    return changeOne(sql(INVOICE_ORDER_SQL), {qty, ordid, orgln}, u"invcs");
}

bool InvoiceTable::moveLines(const String& number, int linnm, int partner, const String&, double sign)
{
    Ref<IDbCursor> rows;
    String query = sql(u"SELECT qunty, orgid, orgln FROM {invoiceLines} WHERE invid = ?1 AND (?2 = 0 OR linnm = ?2) "
                       u"AND coalesce(orgid, '') <> '' ORDER BY linnm");
    if (!session()->openCursor(query, {number, linnm}, rows.out()) || !rows) {
        reportFailure(query, u"update");
        return false;
    }
    struct StockRef {
        String orgid;
        int orgln;
        double qty;
    };
    std::vector<StockRef> refs;
    while (rows->next()) {
        StockRef ref;
        ref.qty = sign * rows->getDoubleAt(0);
        rows->getStringAt(ref.orgid, 1);
        ref.orgln = rows->getIntAt(2);
        refs.push_back(ref);
    }
    rows.reset();
    for (const StockRef& ref : refs) {
        bool taxAdd = false;
        if (!invoiceReceipt(ref.orgid, ref.orgln, ref.qty, partner, taxAdd))
            return false;
    }
    return true;
}

// ---------------------------------------------------------------- saves

bool InvoiceTable::save(Value* fields, const String& user, double taxFactor)
{
    Header header;
    std::vector<Line> lines;
    if (!session() || !fields || !_readHeader(fields, header) || !_readLines(fields->find(u"list"), lines))
        return false;
    if (header.number.empty() && !anyKept(lines))
        return fail(u"child");
    // Invoices come from partners already known: none is made here.
    header.partnerId = partnerIdByName(side(), header.partnerName);
    if (header.partnerId < 1)
        return fail(side().partnerName);
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    bool saved = header.number.empty() ? _insert(header, lines, user, taxFactor)
                                       : _update(header, lines, user, taxFactor);
    return saved && _settleTotal(number_) && (transaction.commit() || fail(u"update"));
}

bool InvoiceTable::_insert(const Header& header, const std::vector<Line>& lines, const String& user, double taxFactor)
{
    if (!drawDocumentNumber(u"insert") ||
        !changeOne(sql(INSERT_HEADER_SQL),
                   {number_, header.partnerId, header.invty, header.bilid, header.crncy, header.exchn, header.eacnt,
                    header.etxcd, header.excdt, user, header.oprtr, thisMonth(), header.rmrks},
                   u"insert"))
        return false;
    Header saved = header;
    saved.number = number_;
    int linnm = 0;
    for (const Line& line : lines)
        if (line.kind != ROW_DELETE && !_insertLine(saved, ++linnm, line, taxFactor))
            return false;
    return true;
}

bool InvoiceTable::_update(const Header& header, const std::vector<Line>& lines, const String& user, double taxFactor)
{
    number_ = header.number;
    if (!changeOne(sql(UPDATE_HEADER_SQL),
                   {header.partnerId, header.invty, header.bilid, header.crncy, header.exchn, header.eacnt,
                    header.etxcd, header.excdt, user, header.oprtr, thisMonth(), header.rmrks, header.number},
                   u"update"))
        return false;
    int next = nextLine(header.number);
    for (const Line& line : lines) {
        bool saved = line.kind == ROW_DELETE   ? deleteLine(header.number, line.linnm, header.partnerId, user)
                     : line.kind == ROW_UPDATE ? _updateLine(header, line, taxFactor)
                                               : _insertLine(header, next++, line, taxFactor);
        if (!saved)
            return false;
    }
    // Lines saved before keep their stock lines: the partner may not move
    // away from them.
    if (session()->queryInt(sql(FOREIGN_STOCK_SQL), {header.number, header.partnerId}, 0) > 0)
        return fail(Side::keyOf(side().movementTable));
    return true;
}

bool InvoiceTable::_insertLine(const Header& header, int linnm, const Line& line, double taxFactor)
{
    bool taxAdd = false;
    if (!line.orgid.empty() && !invoiceReceipt(line.orgid, line.orgln, line.qunty, header.partnerId, taxAdd))
        return false;
    double amount = Rounding::price(line.qunty * line.itmpr * (taxAdd ? taxFactor : 1.0));
    return changeOne(sql(INSERT_LINE_SQL),
                     {header.number, linnm, line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr,
                      amount, line.rmrks, line.orgid, line.orgid.empty() ? 0 : line.orgln},
                     u"insert");
}

bool InvoiceTable::_updateLine(const Header& header, const Line& line, double taxFactor)
{
    Ref<IDbCursor> row;
    String query = sql(u"SELECT qunty, orgid, orgln FROM {invoiceLines} WHERE invid = ? AND linnm = ?");
    if (!session()->openCursor(query, {header.number, line.linnm}, row.out()) || !row) {
        reportFailure(query, u"update");
        return false;
    }
    if (!row->next())
        return fail(u"linnm");
    double stored = row->getDoubleAt(0);
    String orgid;
    row->getStringAt(orgid, 1);
    int orgln = row->getIntAt(2);
    row.reset();
    // The stored stock line moves by the change; a line without one moves
    // nothing. Whether the tax applies is read again either way.
    bool taxAdd = false;
    if (!orgid.empty() && !invoiceReceipt(orgid, orgln, line.qunty - stored, header.partnerId, taxAdd))
        return false;
    double amount = Rounding::price(line.qunty * line.itmpr * (taxAdd ? taxFactor : 1.0));
    return changeOne(sql(UPDATE_LINE_SQL),
                     {line.prdnm, line.specs, line.other, line.unitg, line.qunty, line.itmpr, amount, line.rmrks,
                      header.number, line.linnm},
                     u"update");
}

bool InvoiceTable::_settleTotal(const String& number)
{
    double total = Rounding::money(
        session()->queryDouble(sql(u"SELECT sum(pramt) FROM {invoiceLines} WHERE invid = ?"), {number}, 0));
    return changeOne(sql(u"UPDATE {invoices} SET amont = ? WHERE invid = ?"), {total, number}, u"update");
}
