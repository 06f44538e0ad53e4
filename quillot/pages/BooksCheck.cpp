#include "quillot/pages/BooksCheck.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Side.h"

using tessel::Ref;
using tessel::String;

namespace {

// `counter` lies within 0 and `total`, on the side of zero the total is on.
String within(const char16_t* counter, const char16_t* total, int places)
{
    String c, t;
    c.format(u"round(%s, %d)", counter, places);
    t.format(u"round(%s, %d)", total, places);
    return String(u"((") + total + u" >= 0 AND " + c + u" >= 0 AND " + c + u" <= " + t + u") OR (" + total +
           u" < 0 AND " + c + u" <= 0 AND " + c + u" >= " + t + u"))";
}

// Received (shipped) quantities of the order lines against the stock lines
// of active documents: ?1 the order's word, ?2 the movement's.
const char16_t* const MOVED_SQL =
    u"SELECT printf('%s %s 第 %d 行：已收发 %.4f，订货 %.4f，%s合计 %.4f', ?1, o.ordid, o.linnm, o.ldngs, o.qunty, "
    u"?2, coalesce(m.q, 0)) FROM {orderLines} o LEFT JOIN (SELECT d.orgid, d.orgln, sum(d.qunty) AS q FROM "
    u"{moveLines} d JOIN {moves} t ON t.{mkey} = d.{mkey} WHERE t.stats BETWEEN 1 AND 4 GROUP BY d.orgid, d.orgln) m "
    u"ON m.orgid = o.ordid AND m.orgln = o.linnm WHERE NOT {bounds} OR round(o.ldngs, 4) <> round(coalesce(m.q, 0), 4)";

// Invoiced quantities of the stock lines: ?1 the movement's word.
const char16_t* const STOCK_INVOICED_SQL =
    u"SELECT printf('%s %s 第 %d 行：已开票 %.4f，数量 %.4f，发票合计 %.4f', ?1, d.{mkey}, d.linnm, d.invcs, d.qunty, "
    u"coalesce(i.q, 0)) FROM {moveLines} d LEFT JOIN (SELECT l.orgid, l.orgln, sum(l.qunty) AS q FROM {invoiceLines} "
    u"l JOIN {invoices} v ON v.invid = l.invid WHERE v.stats BETWEEN 1 AND 4 GROUP BY l.orgid, l.orgln) i "
    u"ON i.orgid = d.{mkey} AND i.orgln = d.linnm WHERE NOT {bounds} OR round(d.invcs, 4) <> round(coalesce(i.q, 0), 4)";

// Invoiced quantities of the order lines, through their stock lines.
const char16_t* const ORDER_INVOICED_SQL =
    u"SELECT printf('%s %s 第 %d 行：已开票 %.4f，订货 %.4f，发票合计 %.4f', ?1, o.ordid, o.linnm, o.invcs, o.qunty, "
    u"coalesce(i.q, 0)) FROM {orderLines} o LEFT JOIN (SELECT d.orgid, d.orgln, sum(l.qunty) AS q FROM {invoiceLines} "
    u"l JOIN {invoices} v ON v.invid = l.invid JOIN {moveLines} d ON d.{mkey} = l.orgid AND d.linnm = l.orgln WHERE "
    u"v.stats BETWEEN 1 AND 4 GROUP BY d.orgid, d.orgln) i ON i.orgid = o.ordid AND i.orgln = o.linnm "
    u"WHERE NOT {bounds} OR round(o.invcs, 4) <> round(coalesce(i.q, 0), 4)";

// Paid amounts of the orders.
const char16_t* const PAID_SQL =
    u"SELECT printf('%s %s：已付 %.2f，金额 %.2f，收付款合计 %.2f', ?1, o.ordid, o.paids, o.amont, coalesce(p.a, 0)) "
    u"FROM {orders} o LEFT JOIN (SELECT l.ordid, sum(l.paids) AS a FROM {paymentLines} l JOIN {payments} y ON "
    u"y.pymid = l.pymid WHERE y.stats BETWEEN 1 AND 4 GROUP BY l.ordid) p ON p.ordid = o.ordid "
    u"WHERE NOT {bounds} OR round(o.paids, 2) <> round(coalesce(p.a, 0), 2)";

const char16_t* const STOCK_SQL =
    u"SELECT printf('产品 %s %s：库存 %.4f，流水合计 %.4f，平均成本 %.8f', p.prdnm, p.specs, p.qunty, "
    u"coalesce(j.q, 0), p.itmpr) FROM zcprdct p LEFT JOIN (SELECT prdnm, specs, sum(imprt - exprt) AS q FROM zwacntt "
    u"GROUP BY prdnm, specs) j ON j.prdnm = p.prdnm AND j.specs = p.specs WHERE p.qunty < 0 OR p.itmpr < 0 OR "
    u"round(p.qunty, 4) <> round(coalesce(j.q, 0), 4)";

// One kind of document: its header and line tables, number column and word.
struct Kind {
    const char16_t* header;
    const char16_t* lines;
    const char16_t* key;
    const char16_t* word;
};

const Kind KINDS[] = {
    {u"zpordrt", u"zpordrd", u"ordid", u"采购订单"}, {u"zsordrt", u"zsordrd", u"ordid", u"销售订单"},
    {u"zwimprt", u"zwimprd", u"impid", u"入库单"},   {u"zwexprt", u"zwexprd", u"expid", u"出库单"},
    {u"zpinvct", u"zpinvcd", u"invid", u"进项发票"}, {u"zsinvct", u"zsinvcd", u"invid", u"销项发票"},
    {u"zppymnt", u"zppymnd", u"pymid", u"付款单"},   {u"zspymnt", u"zspymnd", u"pymid", u"收款单"},
};

String ofKind(const Kind& kind, const char16_t* text)
{
    String sql(text);
    sql.replace(u"{h}", kind.header);
    sql.replace(u"{l}", kind.lines);
    sql.replace(u"{k}", kind.key);
    return sql;
}

} // namespace

BooksCheck::BooksCheck(const PageAction& page) : TableClass(page) {}

BooksCheck::BooksCheck(IDbSession* session) : TableClass(session) {}

bool BooksCheck::run(std::vector<String>& findings)
{
    return session() && _checkSide(Side::purchase(), findings) && _checkSide(Side::sales(), findings) &&
           _checkDocuments(findings) && _checkStock(findings);
}

bool BooksCheck::_collect(const String& sql, const DbParams& params, std::vector<String>& findings)
{
    Ref<IDbCursor> rows;
    if (!session()->openCursor(sql, params, rows.out()) || !rows) {
        reportFailure(sql, READ_FAILED);
        return false;
    }
    String finding;
    while (rows->next())
        findings.push_back(rows->getStringAt(finding, 0));
    return true;
}

bool BooksCheck::_checkSide(const Side& side, std::vector<String>& findings)
{
    bool purchase = side.isPurchase();
    const char16_t* order = purchase ? u"采购订单" : u"销售订单";
    const char16_t* movement = purchase ? u"入库单" : u"出库单";
    auto bounded = [&side](const char16_t* text, const String& bounds) {
        String sql = side.sql(text);
        sql.replace(u"{bounds}", bounds.c_str());
        return sql;
    };
    return _collect(bounded(MOVED_SQL, within(u"o.ldngs", u"o.qunty", 4)), {order, movement}, findings) &&
           _collect(bounded(STOCK_INVOICED_SQL, within(u"d.invcs", u"d.qunty", 4)), {movement}, findings) &&
           _collect(bounded(ORDER_INVOICED_SQL, within(u"o.invcs", u"o.qunty", 4)), {order}, findings) &&
           _collect(bounded(PAID_SQL, within(u"o.paids", u"o.amont", 2)), {order}, findings);
}

bool BooksCheck::_checkDocuments(std::vector<String>& findings)
{
    for (const Kind& kind : KINDS) {
        bool checked =
            // A red-ink copy's remarks are its original's number and "R".
            _collect(ofKind(kind, u"SELECT printf('%s %s：红字单据没有状态为“已冲红”的原单据 %s', ?, c.{k}, "
                                  u"substr(c.rmrks, 1, length(c.rmrks) - 1)) FROM {h} c WHERE c.stats = 6 AND NOT "
                                  u"EXISTS (SELECT 1 FROM {h} o WHERE o.stats = 5 AND o.{k} = substr(c.rmrks, 1, "
                                  u"length(c.rmrks) - 1))"),
                     {kind.word}, findings) &&
            _collect(ofKind(kind, u"SELECT printf('%s %s：已冲红，却没有它的红字单据', ?, o.{k}) FROM {h} o WHERE "
                                  u"o.stats = 5 AND NOT EXISTS (SELECT 1 FROM {h} c WHERE c.stats = 6 AND c.rmrks = "
                                  u"o.{k} || 'R')"),
                     {kind.word}, findings) &&
            _collect(ofKind(kind, u"SELECT printf('%s %s 第 %d 行：没有它的单据', ?, d.{k}, d.linnm) FROM {l} d "
                                  u"WHERE NOT EXISTS (SELECT 1 FROM {h} t WHERE t.{k} = d.{k})"),
                     {kind.word}, findings) &&
            _collect(ofKind(kind, u"SELECT printf('%s 单号 %s 用了 %d 次', ?, {k}, count(*)) FROM {h} GROUP BY {k} "
                                  u"HAVING count(*) > 1"),
                     {kind.word}, findings);
        if (!checked)
            return false;
    }
    return true;
}

bool BooksCheck::_checkStock(std::vector<String>& findings)
{
    return _collect(STOCK_SQL, {}, findings);
}
