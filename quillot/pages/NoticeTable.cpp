#include "quillot/pages/NoticeTable.h"

#include "dbdriver/IDbSession.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// A section's query: the base text, the date column that the days limit
// applies to (none for the lines without a ship date), and what follows
// the condition.
struct Section {
    const char16_t* name;
    const char16_t* base;
    const char16_t* dueColumn;
    const char16_t* tail;
};

const Section QUERIES[NoticeTable::SECTIONS] = {
    {u"salesReply",
     u"SELECT t.ordid, d.linnm, t.cntrc, t.cltid, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, d.taxrt, d.pramt, "
     u"d.plndt, d.shpdt, t.rmrks, c.cltnm FROM zsordrd d LEFT JOIN zsordrt t ON t.ordid = d.ordid "
     u"LEFT JOIN zsclntt c ON t.cltid = c.cltid "
     u"WHERE d.shpdt = '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
     nullptr, u" ORDER BY d.plndt, d.shpdt, d.linnm"},
    {u"salesExport",
     u"SELECT t.ordid, d.linnm, t.cntrc, t.cltid, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.ldngs, d.itmpr, d.taxrt, "
     u"d.pramt, d.plndt, d.shpdt, t.rmrks, c.cltnm, z.qunty as stock FROM zsordrd d "
     u"LEFT JOIN zsordrt t ON t.ordid = d.ordid LEFT JOIN zsclntt c ON t.cltid = c.cltid "
     u"LEFT JOIN zcprdct z ON d.prdnm = z.prdnm AND d.specs = z.specs "
     u"WHERE d.shpdt <> '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
     u"d.shpdt", u" ORDER BY d.shpdt, d.linnm"},
    {u"salesInvoice",
     u"SELECT t.expid, d.linnm, t.cltid, t.crncy, t.exchn, t.excdt, t.invdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.invcs, d.itmpr, o.taxrt, "
     u"d.pramt, d.orgid, t.rmrks, c.cltnm FROM zwexprd d LEFT JOIN zwexprt t ON t.expid = d.expid "
     u"LEFT JOIN zsordrt o ON o.ordid = d.orgid LEFT JOIN zsclntt c ON t.cltid = c.cltid "
     u"WHERE o.taxrt = 1 AND d.invcs < d.qunty AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
     u"t.invdt", u" ORDER BY t.invdt, d.linnm"},
    {u"salesPayment",
     u"SELECT o.ordid as ordid, o.cltid as cltid, o.cntrc as cntrc, o.amont as amont, o.paids as paids, "
     u"o.excdt as excdt, t.expid as expid, t.pymdt as pymdt, c.cltnm as cltnm, sum(d.pramt) as pramt "
     u"FROM zsordrt o LEFT JOIN zwexprd d ON o.ordid = d.orgid LEFT JOIN zwexprt t ON t.expid = d.expid "
     u"LEFT JOIN zsclntt c ON o.cltid = c.cltid "
     u"WHERE o.paids < o.amont AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
     u"t.pymdt",
     u" GROUP BY o.ordid, o.cltid, o.amont, o.paids, o.excdt, t.expid, t.pymdt, c.cltnm ORDER BY t.pymdt"},
    {u"purchaseOrder", nullptr, nullptr, nullptr},
    {u"purchaseReply",
     u"SELECT t.ordid, d.linnm, t.cntrc, t.splid, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, d.taxrt, d.pramt, "
     u"d.plndt, d.shpdt, t.rmrks, c.splnm FROM zpordrd d LEFT JOIN zpordrt t ON t.ordid = d.ordid "
     u"LEFT JOIN zpsplyt c ON t.splid = c.splid "
     u"WHERE d.shpdt = '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
     nullptr, u" ORDER BY d.plndt, d.shpdt, d.linnm"},
    {u"purchaseImport",
     u"SELECT t.ordid, d.linnm, t.cntrc, t.splid, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.ldngs, d.itmpr, d.taxrt, "
     u"d.pramt, d.plndt, d.shpdt, t.rmrks, c.splnm FROM zpordrd d LEFT JOIN zpordrt t ON t.ordid = d.ordid "
     u"LEFT JOIN zpsplyt c ON t.splid = c.splid "
     u"WHERE d.shpdt <> '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
     u"d.shpdt", u" ORDER BY d.shpdt, d.linnm"},
    {u"purchaseInvoice",
     u"SELECT t.impid, d.linnm, t.splid, t.crncy, t.exchn, t.excdt, t.invdt, t.oprtr, t.cretr, t.fnmth, "
     u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.invcs, d.itmpr, o.taxrt, "
     u"d.pramt, d.orgid, t.rmrks, c.splnm FROM zwimprd d LEFT JOIN zwimprt t ON t.impid = d.impid "
     u"LEFT JOIN zpordrt o ON o.ordid = d.orgid LEFT JOIN zpsplyt c ON t.splid = c.splid "
     u"WHERE o.taxrt = 1 AND d.invcs < d.qunty AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
     u"t.invdt", u" ORDER BY t.invdt, d.linnm"},
    {u"purchasePayment",
     u"SELECT o.ordid as ordid, o.splid as splid, o.cntrc as cntrc, o.amont as amont, o.paids as paids, "
     u"o.excdt as excdt, t.impid as impid, t.pymdt as pymdt, c.splnm as splnm, sum(d.pramt) as pramt "
     u"FROM zpordrt o LEFT JOIN zwimprd d ON o.ordid = d.orgid LEFT JOIN zwimprt t ON t.impid = d.impid "
     u"LEFT JOIN zpsplyt c ON o.splid = c.splid "
     u"WHERE o.paids < o.amont AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
     u"t.pymdt",
     u" GROUP BY o.ordid, o.splid, o.amont, o.paids, o.excdt, t.impid, t.pymdt, c.splnm ORDER BY t.pymdt"},
};

// Open sales order lines, summed per product.
const char16_t* const NEEDS_SQL =
    u"SELECT d.prdnm, d.specs, d.other, sum(d.qunty - d.ldngs) as needs FROM zsordrd d, zsordrt t "
    u"WHERE t.ordid = d.ordid AND d.qunty > d.ldngs AND t.stats BETWEEN 1 AND 3 GROUP BY d.prdnm, d.specs";

// Below this a shortfall is rounding, not a need.
constexpr double QUANTITY_EPSILON = 0.000001;

void insertQuantity(Value* row, const char16_t* name, double quantity)
{
    row->insert(name, quantity, u"%0.4f", true);
}

} // namespace

NoticeTable::NoticeTable(IDbSession* session) : TableClass(session) {}

const char16_t* NoticeTable::sectionName(int section)
{
    return section >= 1 && section <= SECTIONS ? QUERIES[section - 1].name : nullptr;
}

int NoticeTable::daysOf(const String& text)
{
    String digits(text);
    digits.trim();
    if (digits.empty())
        return 0;
    for (int i = 0; i < digits.size(); i++)
        if (digits[i] < u'0' || digits[i] > u'9')
            return 0;
    // Long runs of digits are past the limit whatever they read as.
    if (digits.size() > 9)
        return MAX_DAYS;
    int days = digits.toInteger();
    return days > MAX_DAYS ? MAX_DAYS : days;
}

void NoticeTable::listSection(int section, int days, Value* target)
{
    if (section == REORDER_SECTION) {
        listReorders(target);
        return;
    }
    if (section < 1 || section > SECTIONS || !target)
        return;
    const Section& query = QUERIES[section - 1];
    String sql(query.base);
    if (query.dueColumn && days > 0) {
        String condition;
        sql += condition.format(u" AND julianday('now')+%d > julianday(%s)", days, query.dueColumn);
    }
    sql += query.tail;
    listRows(target, sql, 0, 0);
}

void NoticeTable::listReorders(Value* target)
{
    if (!session() || !target)
        return;
    Ref<IDbCursor> cursor;
    if (!session()->openCursor(NEEDS_SQL, cursor.out()) || !cursor)
        return;
    int count = 0;
    String prdnm, specs, other, name;
    while (cursor->next()) {
        cursor->getStringAt(prdnm, 0);
        cursor->getStringAt(specs, 1);
        double needs = cursor->getDoubleAt(3);
        double stock = _stockOf(prdnm, specs);
        if (stock >= needs)
            continue;
        double ordrs = _onOrder(prdnm, specs);
        if (stock + ordrs + QUANTITY_EPSILON >= needs)
            continue;
        Value* row = target->insert(name.format(u"%03d", ++count));
        row->insert(u"prdnm", prdnm);
        row->insert(u"specs", specs);
        row->insert(u"other", cursor->getStringAt(other, 2));
        insertQuantity(row, u"stock", stock);
        insertQuantity(row, u"ordrs", ordrs);
        insertQuantity(row, u"needs", needs);
        insertQuantity(row, u"qunty", needs - (stock + ordrs));
    }
}

double NoticeTable::_stockOf(const String& prdnm, const String& specs)
{
    String sql;
    sql.format(u"SELECT qunty FROM zcprdct WHERE prdnm='%s' AND specs='%s'", session()->escape(prdnm).c_str(),
               session()->escape(specs).c_str());
    return session()->queryDouble(sql, 0);
}

double NoticeTable::_onOrder(const String& prdnm, const String& specs)
{
    String sql;
    sql.format(u"SELECT sum(d.qunty - d.ldngs) FROM zpordrd d LEFT JOIN zpordrt t ON d.ordid = t.ordid "
               u"WHERE d.qunty > d.ldngs AND d.prdnm = '%s' AND d.specs = '%s' AND t.stats BETWEEN 1 AND 3",
               session()->escape(prdnm).c_str(), session()->escape(specs).c_str());
    return session()->queryDouble(sql, 0);
}
