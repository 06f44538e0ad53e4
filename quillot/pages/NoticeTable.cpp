#include "quillot/pages/NoticeTable.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Side.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// The query of one kind of section, written once for both sides: the
// base text, the date column that the days limit applies to (none for the
// lines without a ship date), and what follows the condition.
struct SectionQuery {
    const char16_t* base;
    const char16_t* dueColumn;
    const char16_t* tail;
};

// Order lines without a promised ship date.
const SectionQuery REPLY = {
    u"SELECT t.ordid, d.linnm, t.cntrc, t.{pkey}, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
    u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, d.taxrt, d.pramt, "
    u"d.plndt, d.shpdt, t.rmrks, c.{pname} FROM {orderLines} d LEFT JOIN {orders} t ON t.ordid = d.ordid "
    u"LEFT JOIN {partners} c ON t.{pkey} = c.{pkey} "
    u"WHERE d.shpdt = '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
    nullptr, u" ORDER BY d.plndt, d.shpdt, d.linnm"};

// Order lines still to ship or receive, with the stock on hand.
const SectionQuery DUE = {
    u"SELECT t.ordid, d.linnm, t.cntrc, t.{pkey}, t.crncy, t.exchn, t.excdt, t.oprtr, t.cretr, t.fnmth, "
    u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.ldngs, d.itmpr, d.taxrt, "
    u"d.pramt, d.plndt, d.shpdt, t.rmrks, c.{pname}, z.qunty as stock FROM {orderLines} d "
    u"LEFT JOIN {orders} t ON t.ordid = d.ordid LEFT JOIN {partners} c ON t.{pkey} = c.{pkey} "
    u"LEFT JOIN zcprdct z ON d.prdnm = z.prdnm AND d.specs = z.specs "
    u"WHERE d.shpdt <> '' AND d.ldngs < d.qunty AND t.stats BETWEEN 1 AND 3",
    u"d.shpdt", u" ORDER BY d.shpdt, d.linnm"};

// Shipped or received lines of orders with tax still to invoice.
const SectionQuery INVOICE = {
    u"SELECT t.{mkey}, d.linnm, t.{pkey}, t.crncy, t.exchn, t.excdt, t.invdt, t.oprtr, t.cretr, t.fnmth, "
    u"t.rmrks as rmrkt, t.stats, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.invcs, d.itmpr, o.taxrt, "
    u"d.pramt, d.orgid, t.rmrks, c.{pname} FROM {moveLines} d LEFT JOIN {moves} t ON t.{mkey} = d.{mkey} "
    u"LEFT JOIN {orders} o ON o.ordid = d.orgid LEFT JOIN {partners} c ON t.{pkey} = c.{pkey} "
    u"WHERE o.taxrt = 1 AND d.invcs < d.qunty AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
    u"t.invdt", u" ORDER BY t.invdt, d.linnm"};

// Orders still to be paid, per shipment or receipt.
const SectionQuery PAYMENT = {
    u"SELECT o.ordid as ordid, o.{pkey} as {pkey}, o.cntrc as cntrc, o.amont as amont, o.paids as paids, "
    u"o.excdt as excdt, t.{mkey} as {mkey}, t.pymdt as pymdt, c.{pname} as {pname}, sum(d.pramt) as pramt "
    u"FROM {orders} o LEFT JOIN {moveLines} d ON o.ordid = d.orgid LEFT JOIN {moves} t ON t.{mkey} = d.{mkey} "
    u"LEFT JOIN {partners} c ON o.{pkey} = c.{pkey} "
    u"WHERE o.paids < o.amont AND o.stats>=1 AND o.stats<=3 AND t.stats>=1 AND t.stats<=3",
    u"t.pymdt",
    u" GROUP BY o.ordid, o.{pkey}, o.amont, o.paids, o.excdt, t.{mkey}, t.pymdt, c.{pname} ORDER BY t.pymdt"};

// The sections in switch order: the four sales sections, the products to
// reorder, and the four purchase sections.
struct Section {
    const char16_t* name;
    const Side* side;
    const SectionQuery* query;
};

const Section SECTION_TABLE[NoticeTable::SECTIONS] = {
    {u"salesReply", &Side::sales(), &REPLY},
    {u"salesExport", &Side::sales(), &DUE},
    {u"salesInvoice", &Side::sales(), &INVOICE},
    {u"salesPayment", &Side::sales(), &PAYMENT},
    {u"purchaseOrder", nullptr, nullptr},
    {u"purchaseReply", &Side::purchase(), &REPLY},
    {u"purchaseImport", &Side::purchase(), &DUE},
    {u"purchaseInvoice", &Side::purchase(), &INVOICE},
    {u"purchasePayment", &Side::purchase(), &PAYMENT},
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

NoticeTable::NoticeTable(const PageAction& page) : TableClass(page) {}

const char16_t* NoticeTable::sectionName(int section)
{
    return section >= 1 && section <= SECTIONS ? SECTION_TABLE[section - 1].name : nullptr;
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

bool NoticeTable::listSection(int section, int days, Value* target)
{
    if (section == REORDER_SECTION)
        return listReorders(target);
    if (section < 1 || section > SECTIONS || !target)
        return false;
    const Section& entry = SECTION_TABLE[section - 1];
    const SectionQuery& query = *entry.query;
    String sql = entry.side->sql(query.base);
    if (query.dueColumn && days > 0) {
        String condition;
        sql += condition.format(u" AND julianday('now')+%d > julianday(%s)", days, query.dueColumn);
    }
    sql += entry.side->sql(query.tail);
    return listRows(target, sql, 0, 0);
}

bool NoticeTable::listReorders(Value* target)
{
    if (!session() || !target)
        return false;
    Ref<IDbCursor> cursor;
    if (!session()->openCursor(NEEDS_SQL, cursor.out()) || !cursor) {
        reportFailure(NEEDS_SQL, READ_FAILED);
        return false;
    }
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
    return true;
}

double NoticeTable::_stockOf(const String& prdnm, const String& specs)
{
    return session()->queryDouble(u"SELECT qunty FROM zcprdct WHERE prdnm = ? AND specs = ?", {prdnm, specs}, 0);
}

double NoticeTable::_onOrder(const String& prdnm, const String& specs)
{
    return session()->queryDouble(
        u"SELECT sum(d.qunty - d.ldngs) FROM zpordrd d LEFT JOIN zpordrt t ON d.ordid = t.ordid "
        u"WHERE d.qunty > d.ldngs AND d.prdnm = ? AND d.specs = ? AND t.stats BETWEEN 1 AND 3",
        {prdnm, specs}, 0);
}
