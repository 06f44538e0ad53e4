#include "quillot/pages/PaymentTable.h"

#include <algorithm>

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

const char16_t* const HEADER_SQL =
    u"SELECT pymid, {pkey}, {pkey} AS pid, payty, bilid, crncy, exchn, amont, excdt, {oprtr}cretr, fnmth, rmrks, "
    u"stats FROM {payments} WHERE pymid = ?";

const char16_t* const LINES_SQL =
    u"SELECT d.pymid, d.linnm, d.ordid, o.cntrc, d.amont, d.lefts, d.paids, d.reman, d.rmrks, "
    u"round(o.amont - o.paids, 2) AS ordlefts FROM {paymentLines} d LEFT JOIN {orders} o ON o.ordid = d.ordid "
    u"WHERE d.pymid = ? ORDER BY d.linnm";

// Orders that still owe, of states 1 to 4, with what to pay now.
const char16_t* const OPEN_ORDERS_SQL =
    u"SELECT ordid, cntrc, amont, paids AS total, round(amont - paids, 2) AS lefts, round(amont - paids, 2) AS paids, "
    u"0 AS reman, excdt FROM {orders} WHERE stats BETWEEN 1 AND 4 AND round(amont - paids, 2) <> 0 AND {pkey} = ?";

// The orders behind invoices' lines that still owe, with what the
// invoices hold for each.
const char16_t* const INVOICE_ORDERS_SQL =
    u"SELECT o.ordid, o.cntrc, o.amont, o.paids AS total, round(o.amont - o.paids, 2) AS lefts, "
    u"round(sum(i.pramt), 2) AS invoiced FROM {invoiceLines} i JOIN {invoices} v ON v.invid = i.invid "
    u"JOIN {moveLines} d ON d.{mkey} = i.orgid AND d.linnm = i.orgln JOIN {orders} o ON o.ordid = d.orgid "
    u"WHERE v.stats BETWEEN 1 AND 4 AND o.stats BETWEEN 1 AND 4 AND round(o.amont - o.paids, 2) <> 0 "
    u"AND o.{pkey} = ? AND i.invid IN (";

const char16_t* const OPEN_INVOICES_SQL =
    u"SELECT * FROM (SELECT v.invid, v.bilid, v.excdt, v.amont, (SELECT coalesce(sum(round(o.amont - o.paids, 2)), 0) "
    u"FROM {orders} o WHERE o.stats BETWEEN 1 AND 4 AND o.ordid IN (SELECT d.orgid FROM {invoiceLines} i JOIN "
    u"{moveLines} d ON d.{mkey} = i.orgid AND d.linnm = i.orgln WHERE i.invid = v.invid)) AS lefts FROM {invoices} v "
    u"WHERE v.{pkey} = ? AND v.stats BETWEEN 3 AND 4) WHERE round(lefts, 2) <> 0 ORDER BY excdt, invid";

// The guard reads the stored order: what is paid stays between 0 and the
// total, on the side of zero the total is on.
const char16_t* const PAY_ORDER_SQL =
    u"UPDATE {orders} SET paids = round(paids + ?1, 2) WHERE ordid = ?2 AND ("
    u"(amont >= 0 AND round(paids + ?1, 2) >= 0 AND round(paids + ?1, 2) <= round(amont, 2)) OR "
    u"(amont < 0 AND round(paids + ?1, 2) <= 0 AND round(paids + ?1, 2) >= round(amont, 2)))";

const char16_t* const INSERT_HEADER_SQL =
    u"INSERT INTO {payments}(pymid, {pkey}, payty, bilid, crncy, exchn, amont, excdt, {oprtr}cretr, fnmth, rmrks, "
    u"stats) VALUES(?, ?, ?, ?, ?, ?, ?, ?, {oprtr?}?, ?, ?, 3)";
const char16_t* const UPDATE_HEADER_SQL =
    u"UPDATE {payments} SET {pkey} = ?, payty = ?, bilid = ?, crncy = ?, exchn = ?, amont = ?, excdt = ?, "
    u"{oprtr=?}cretr = ?, fnmth = ?, rmrks = ? WHERE pymid = ? AND stats = 3";
const char16_t* const INSERT_LINE_SQL =
    u"INSERT INTO {paymentLines}(pymid, linnm, ordid, amont, lefts, paids, reman, rmrks) VALUES(?, ?, ?, ?, ?, ?, ?, ?)";
// A line's order is never rewritten: its money stays with the order it
// was paid to.
const char16_t* const UPDATE_LINE_SQL =
    u"UPDATE {paymentLines} SET amont = ?, lefts = ?, paids = ?, reman = ?, rmrks = ? WHERE pymid = ? AND linnm = ?";

// The red-ink copy negates the stored values exactly.
const char16_t* const COPY_HEADER_SQL =
    u"INSERT INTO {payments}(pymid, {pkey}, payty, bilid, crncy, exchn, amont, excdt, {oprtr}cretr, fnmth, rmrks, "
    u"stats) SELECT ?1, {pkey}, payty, bilid, crncy, exchn, -amont, excdt, {oprtr}?2, ?3, ?4, 6 FROM {payments} "
    u"WHERE pymid = ?5";
const char16_t* const COPY_LINES_SQL =
    u"INSERT INTO {paymentLines}(pymid, linnm, ordid, amont, lefts, paids, reman, rmrks) SELECT ?1, linnm, ordid, "
    u"amont, lefts, -paids, reman, rmrks FROM {paymentLines} WHERE pymid = ?2";

const char16_t* const FOREIGN_ORDERS_SQL =
    u"SELECT count(*) FROM {paymentLines} d JOIN {orders} o ON o.ordid = d.ordid WHERE d.pymid = ? AND "
    u"o.{pkey} <> ?";

// What to pay now on an order that still owes `lefts`, from invoices that
// hold `invoiced` for it: no more than either.
double payable(double lefts, double invoiced)
{
    if ((lefts > 0) != (invoiced > 0))
        return 0;
    return lefts > 0 ? std::min(lefts, invoiced) : std::max(lefts, invoiced);
}

} // namespace

struct PaymentTable::Header : CommonHeader {
    int partnerId = 0;
    String payty, bilid, crncy, oprtr, rmrks;
    double amont = 0;
    bool totalGiven = false;
};

struct PaymentTable::Line {
    RowKind kind = ROW_CREATE;
    int linnm = 0;
    String ordid, rmrks;
    double amont = 0, lefts = 0, paids = 0, reman = 0;
};

PaymentTable::PaymentTable(const PageAction& page, const Side& side)
    : DocumentTable(page, side, {side.paymentTable, side.paymentLines, u"pymid", side.paymentKind})
{
}

String PaymentTable::sql(const char16_t* text) const
{
    String out = DocumentTable::sql(text);
    bool sales = !side().isPurchase();
    out.replace(u"{oprtr}", sales ? u"oprtr, " : u"");
    out.replace(u"{oprtr?}", sales ? u"?, " : u"");
    out.replace(u"{oprtr=?}", sales ? u"oprtr = ?, " : u"");
    return out;
}

const char16_t* PaymentTable::copyHeaderSql() const
{
    return COPY_HEADER_SQL;
}

const char16_t* PaymentTable::copyLinesSql() const
{
    return COPY_LINES_SQL;
}

// ------------------------------------------------------------------ reads

bool PaymentTable::loadHeader(const String& number, Value* target)
{
    return !number.empty() && fetchRow(target, sql(HEADER_SQL), {number});
}

bool PaymentTable::listLines(const String& number, Value* target)
{
    return listRows(target, sql(LINES_SQL), 0, 0, {number});
}

bool PaymentTable::listInvoiceOrders(const String& invoices, Value* target, int& partner)
{
    partner = 0;
    String first = firstNumber(invoices);
    if (first.empty() || !session())
        return true;
    partner = session()->queryInt(sql(u"SELECT {pkey} FROM {invoices} WHERE invid = ?"), {first}, 0);
    String query = sql(INVOICE_ORDERS_SQL) + numberList(invoices) +
                   u") GROUP BY o.ordid, o.cntrc, o.amont, o.paids ORDER BY o.ordid";
    if (!listRows(target, query, 0, 0, {partner}))
        return false;
    String key;
    for (int i = 0; target->isMap(); i++) {
        Value* row = target->getIndex(i, key);
        if (!row)
            break;
        double lefts = row->getDouble(u"lefts");
        double paids = payable(lefts, row->getDouble(u"invoiced"));
        row->insert(u"paids", Rounding::text(paids, Rounding::MONEY));
        row->insert(u"reman", Rounding::text(lefts - paids, Rounding::MONEY));
    }
    return true;
}

bool PaymentTable::listOrders(const String& orders, Value* target, int& partner)
{
    partner = 0;
    String first = firstNumber(orders);
    if (first.empty() || !session())
        return true;
    partner = session()->queryInt(sql(u"SELECT {pkey} FROM {orders} WHERE ordid = ?"), {first}, 0);
    return listRows(target, sql(OPEN_ORDERS_SQL) + u" AND ordid IN (" + numberList(orders) + u") ORDER BY ordid", 0, 0,
                    {partner});
}

bool PaymentTable::listOpenOrders(int partner, Value* target)
{
    return listRows(target, sql(OPEN_ORDERS_SQL) + u" ORDER BY excdt, ordid", 0, 0, {partner});
}

bool PaymentTable::listOpenInvoices(int partner, Value* target)
{
    return listRows(target, sql(OPEN_INVOICES_SQL), 0, 0, {partner});
}

int PaymentTable::listPage(Value* data)
{
    ListQuery query(sql(u"t.pymid, d.linnm, t.{pkey}, s.{pname}, t.payty, t.bilid, t.crncy, t.exchn, t.excdt, "
                        u"{oprtr}t.cretr, t.fnmth, t.rmrks AS rmrkt, t.stats, d.amont, d.lefts, d.paids, d.reman, "
                        u"d.ordid, d.rmrks"),
                    sql(u"FROM {paymentLines} d LEFT JOIN {payments} t ON t.pymid = d.pymid LEFT JOIN {partners} s "
                        u"ON t.{pkey} = s.{pkey}"),
                    u" ORDER BY 1 DESC, 2",
                    {u"t.pymid", u"t.splid", u"t.cltid", u"s.splnm", u"s.cltnm", u"t.bilid", u"t.excdt", u"t.stats",
                     u"t.payty", u"d.ordid", u"d.paids", u"d.rmrks"});
    return TableClass::listPage(data, query);
}

// ---------------------------------------------------------------- input

bool PaymentTable::_readHeader(Value* fields, Header& out)
{
    if (!readCommonHeader(fields, out))
        return false;
    out.totalGiven = !textOf(fields, u"amont").empty();
    if (!readNumber(fields, u"amont", Rounding::MONEY, out.amont))
        return false;
    out.payty = textOf(fields, u"payty");
    out.bilid = textOf(fields, u"bilid");
    out.crncy = textOf(fields, u"crncy");
    out.oprtr = textOf(fields, u"oprtr");
    out.rmrks = textOf(fields, u"rmrks");
    return true;
}

bool PaymentTable::_readLines(Value* list, std::vector<Line>& out)
{
    return readRows(list, {u"ordid", u"amont", u"lefts", u"paids", u"reman", u"rmrks"}, out,
                    [this](Value* row, Line& line) { return _readLine(row, line); });
}

bool PaymentTable::_readLine(Value* row, Line& out)
{
    if (out.kind == ROW_CREATE && !documentNumber(row->getAt(u"ordid"), out.ordid))
        return fail(u"ordid");
    for (auto [name, value] : {std::pair{u"amont", &out.amont}, std::pair{u"lefts", &out.lefts},
                               std::pair{u"paids", &out.paids}, std::pair{u"reman", &out.reman}})
        if (!readNumber(row, name, Rounding::MONEY, *value))
            return false;
    if (out.amont == 0)
        return fail(u"amont");
    if (out.lefts == 0)
        return fail(u"lefts");
    if (out.paids == 0)
        return fail(u"paids");
    out.rmrks = textOf(row, u"rmrks");
    return true;
}

// ------------------------------------------------------------- counters

bool PaymentTable::payOrder(const String& ordid, double amount, int partner)
{
    String orderKey = Side::keyOf(side().orderTable);
    Ref<IDbCursor> row;
    String query = sql(u"SELECT stats, {pkey} FROM {orders} WHERE ordid = ?");
    if (!session()->openCursor(query, {ordid}, row.out()) || !row) {
        reportFailure(query, orderKey.c_str());
        return false;
    }
    if (!row->next())
        return fail(orderKey);
    int state = row->getIntAt(0);
    if (state < 1 || state > 4 || row->getIntAt(1) != partner)
        return fail(orderKey);
    row.reset();
    return changeOne(sql(PAY_ORDER_SQL), {Rounding::money(amount), ordid}, u"paids");
}

bool PaymentTable::moveLines(const String& number, int linnm, int partner, const String&, double sign)
{
    Ref<IDbCursor> rows;
    String query = sql(u"SELECT paids, ordid FROM {paymentLines} WHERE pymid = ?1 AND (?2 = 0 OR linnm = ?2) "
                       u"AND coalesce(ordid, '') <> '' ORDER BY linnm");
    if (!session()->openCursor(query, {number, linnm}, rows.out()) || !rows) {
        reportFailure(query, u"update");
        return false;
    }
    std::vector<std::pair<String, double>> payments;
    while (rows->next()) {
        String ordid;
        rows->getStringAt(ordid, 1);
        payments.emplace_back(ordid, sign * rows->getDoubleAt(0));
    }
    rows.reset();
    for (const auto& [ordid, amount] : payments)
        if (!payOrder(ordid, amount, partner))
            return false;
    return true;
}

// ---------------------------------------------------------------- saves

bool PaymentTable::save(Value* fields, const String& user)
{
    Header header;
    std::vector<Line> lines;
    if (!session() || !fields || !_readHeader(fields, header) || !_readLines(fields->find(u"list"), lines))
        return false;
    if (header.number.empty() && !anyKept(lines))
        return fail(u"child");
    // A payment without a total typed is the sum of what its lines pay.
    if (!header.totalGiven) {
        for (const Line& line : lines)
            header.amont += line.kind == ROW_DELETE ? 0 : line.paids;
        header.amont = Rounding::money(header.amont);
    }
    header.partnerId = partnerIdByName(side(), header.partnerName);
    if (header.partnerId < 1)
        return fail(side().partnerName);
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    bool saved = header.number.empty() ? _insert(header, lines, user) : _update(header, lines, user);
    return saved && (transaction.commit() || fail(u"update"));
}

DbParams PaymentTable::_headerParams(const Header& header, const String& user) const
{
    DbParams params{header.partnerId, header.payty, header.bilid, header.crncy,
                    header.exchn,     header.amont, header.excdt};
    if (!side().isPurchase())
        params.add(header.oprtr);
    params.add(user).add(thisMonth()).add(header.rmrks);
    return params;
}

bool PaymentTable::_insert(const Header& header, const std::vector<Line>& lines, const String& user)
{
    if (!drawDocumentNumber(u"insert"))
        return false;
    DbParams params{number_};
    DbParams rest = _headerParams(header, user);
    for (int i = 0; i < rest.size(); i++)
        params.add(rest.at(i));
    if (!changeOne(sql(INSERT_HEADER_SQL), params, u"insert"))
        return false;
    Header saved = header;
    saved.number = number_;
    int linnm = 0;
    for (const Line& line : lines)
        if (line.kind != ROW_DELETE && !_insertLine(saved, ++linnm, line))
            return false;
    return true;
}

bool PaymentTable::_update(const Header& header, const std::vector<Line>& lines, const String& user)
{
    number_ = header.number;
    DbParams params = _headerParams(header, user);
    params.add(header.number);
    if (!changeOne(sql(UPDATE_HEADER_SQL), params, u"update"))
        return false;
    int next = nextLine(header.number);
    for (const Line& line : lines) {
        bool saved = line.kind == ROW_DELETE   ? deleteLine(header.number, line.linnm, header.partnerId, user)
                     : line.kind == ROW_UPDATE ? _updateLine(header, line)
                                               : _insertLine(header, next++, line);
        if (!saved)
            return false;
    }
    // Lines saved before keep their orders: the partner may not move away
    // from them.
    if (session()->queryInt(sql(FOREIGN_ORDERS_SQL), {header.number, header.partnerId}, 0) > 0)
        return fail(Side::keyOf(side().orderTable));
    return true;
}

bool PaymentTable::_insertLine(const Header& header, int linnm, const Line& line)
{
    return payOrder(line.ordid, line.paids, header.partnerId) &&
           changeOne(sql(INSERT_LINE_SQL),
                     {header.number, linnm, line.ordid, line.amont, line.lefts, line.paids, line.reman, line.rmrks},
                     u"insert");
}

bool PaymentTable::_updateLine(const Header& header, const Line& line)
{
    Ref<IDbCursor> row;
    String query = sql(u"SELECT paids, ordid FROM {paymentLines} WHERE pymid = ? AND linnm = ?");
    if (!session()->openCursor(query, {header.number, line.linnm}, row.out()) || !row) {
        reportFailure(query, u"update");
        return false;
    }
    if (!row->next())
        return fail(u"linnm");
    double stored = row->getDoubleAt(0);
    String ordid;
    row->getStringAt(ordid, 1);
    row.reset();
    double change = Rounding::money(line.paids - stored);
    if (change != 0 && !ordid.empty() && !payOrder(ordid, change, header.partnerId))
        return false;
    return changeOne(sql(UPDATE_LINE_SQL),
                     {line.amont, line.lefts, line.paids, line.reman, line.rmrks, header.number, line.linnm},
                     u"update");
}
