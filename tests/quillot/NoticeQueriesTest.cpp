// The notice page's dated and undated sections: each lists exactly the open
// rows it is about, and none of those in the wrong state, already done or
// falling due later than the days asked for. The sales and the purchase
// side hold the same documents, so one table of cases checks both.
#include "CompanyTestSupport.h"

#include "quillot/pages/NoticeTable.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

using Rows = std::vector<std::string>;

// The tables of one side and the first of its four sections (order lines
// without a ship date, lines to ship or receive, lines to invoice, orders
// to be paid).
struct NoticeSide {
    const char* name;
    int firstSection;
    const char16_t* orders;
    const char16_t* orderLines;
    const char16_t* moves;
    const char16_t* moveLines;
    const char16_t* moveId;
    const char16_t* partnerId;
    const char16_t* partnerName;
};

const NoticeSide SALES{"sales", 1, u"zsordrt", u"zsordrd", u"zwexprt", u"zwexprd", u"expid", u"cltid", u"cltnm"};
const NoticeSide PURCHASE{"purchase", 6, u"zpordrt", u"zpordrd", u"zwimprt", u"zwimprd", u"impid", u"splid", u"splnm"};

enum Kind { REPLY, DELIVERY, INVOICE, PAYMENT };

// A section asked with `days`, and the values of `column` (the side's
// movement id when null) its rows must hold, in order.
struct Case {
    Kind kind;
    int days;
    const char16_t* column;
    Rows expected;
};

const Case CASES[] = {
    // Undated: the days change nothing.
    {REPLY, 0, u"prdnm", {"reply-soon", "reply-open"}},
    {REPLY, 7, u"prdnm", {"reply-soon", "reply-open"}},
    {DELIVERY, 0, u"prdnm", {"ship-late", "ship-soon", "ship-later"}},
    {DELIVERY, 7, u"prdnm", {"ship-late", "ship-soon"}},
    {INVOICE, 0, u"prdnm", {"inv-late", "inv-soon", "inv-part", "inv-later"}},
    {INVOICE, 7, u"prdnm", {"inv-late", "inv-soon", "inv-part"}},
    // One row per order and movement.
    {PAYMENT, 0, u"ordid", {"P3", "P1", "P1"}},
    {PAYMENT, 0, nullptr, {"M4", "M1", "M2"}},
    {PAYMENT, 0, u"pramt", {"150.0", "500.0", "400.0"}},
    {PAYMENT, 7, nullptr, {"M4", "M1"}},
};

class NoticeQueriesTest : public CompanyTest {
protected:
    void SetUp() override
    {
        CompanyTest::SetUp();
        run(u"INSERT INTO zsclntt(cltnm) VALUES('华东电子')");
        run(u"INSERT INTO zpsplyt(splnm) VALUES('联合五金')");
        fill(SALES, count(u"SELECT cltid FROM zsclntt"));
        fill(PURCHASE, count(u"SELECT splid FROM zpsplyt"));
    }

    // The same documents on either side. Every row that must not be listed
    // differs from a listed one in one thing only.
    void fill(const NoticeSide& side, int partner)
    {
        // Order lines: A and B are open orders, C a draft, D completed.
        order(side, partner, u"A", 1);
        order(side, partner, u"B", 3);
        order(side, partner, u"C", 0);
        order(side, partner, u"D", 4);
        line(side, u"A", 1, u"reply-open", 0, u"date('now', '+20 days')", u"''");
        line(side, u"B", 1, u"reply-soon", 0, u"date('now', '+2 days')", u"''");
        line(side, u"A", 2, u"reply-delivered", 5, u"''", u"''");
        line(side, u"C", 1, u"reply-draft", 0, u"''", u"''");
        line(side, u"D", 1, u"reply-completed", 0, u"''", u"''");
        line(side, u"A", 3, u"ship-soon", 0, u"''", dateIn(3));
        line(side, u"A", 4, u"ship-later", 0, u"''", dateIn(10));
        line(side, u"B", 2, u"ship-late", 1, u"''", dateIn(-2));
        line(side, u"A", 5, u"ship-delivered", 5, u"''", dateIn(1));
        line(side, u"C", 2, u"ship-draft", 0, u"''", dateIn(1));
        line(side, u"D", 2, u"ship-completed", 0, u"''", dateIn(1));

        // Movements to invoice, against taxed orders I (open), V (voided)
        // and the untaxed order N.
        order(side, partner, u"I", 2, 1);
        order(side, partner, u"N", 1, 0);
        order(side, partner, u"V", 5, 1);
        move(side, partner, u"X1", 1, dateIn(3), u"NULL");
        move(side, partner, u"X2", 1, dateIn(10), u"NULL");
        move(side, partner, u"X3", 0, dateIn(1), u"NULL");
        move(side, partner, u"X4", 2, dateIn(-5), u"NULL");
        moveLine(side, u"X1", 1, u"inv-soon", u"I", 0, 50);
        moveLine(side, u"X1", 2, u"inv-part", u"I", 2, 50);
        moveLine(side, u"X1", 3, u"inv-invoiced", u"I", 5, 50);
        moveLine(side, u"X1", 4, u"inv-untaxed", u"N", 0, 50);
        moveLine(side, u"X1", 5, u"inv-voided", u"V", 0, 50);
        moveLine(side, u"X2", 1, u"inv-later", u"I", 0, 50);
        moveLine(side, u"X3", 1, u"inv-draft", u"I", 0, 50);
        moveLine(side, u"X4", 1, u"inv-late", u"I", 0, 50);

        // Orders to be paid, untaxed so that their movements need no
        // invoice: P1 open with two movements, P2 paid, P3 partly paid,
        // P4 completed, P5 never delivered, P6 delivered by a draft.
        order(side, partner, u"P1", 1, 0, 1000, 0);
        order(side, partner, u"P2", 1, 0, 1000, 1000);
        order(side, partner, u"P3", 3, 0, 500, 100);
        order(side, partner, u"P4", 4, 0, 500, 0);
        order(side, partner, u"P5", 1, 0, 500, 0);
        order(side, partner, u"P6", 1, 0, 500, 0);
        move(side, partner, u"M1", 1, u"NULL", dateIn(3));
        move(side, partner, u"M2", 1, u"NULL", dateIn(10));
        move(side, partner, u"M3", 1, u"NULL", dateIn(-1));
        move(side, partner, u"M4", 2, u"NULL", dateIn(-2));
        move(side, partner, u"M5", 1, u"NULL", dateIn(1));
        move(side, partner, u"M6", 0, u"NULL", dateIn(1));
        moveLine(side, u"M1", 1, u"pay", u"P1", 0, 300);
        moveLine(side, u"M1", 2, u"pay", u"P1", 0, 200);
        moveLine(side, u"M2", 1, u"pay", u"P1", 0, 400);
        moveLine(side, u"M3", 1, u"pay", u"P2", 0, 1000);
        moveLine(side, u"M4", 1, u"pay", u"P3", 0, 150);
        moveLine(side, u"M5", 1, u"pay", u"P4", 0, 500);
        moveLine(side, u"M6", 1, u"pay", u"P6", 0, 500);
    }

    static String dateIn(int days)
    {
        String sql;
        return sql.format(u"date('now', '%+d days')", days);
    }

    void order(const NoticeSide& side, int partner, const char16_t* ordid, int stats, int taxrt = 1, double amont = 0,
               double paids = 0)
    {
        String sql;
        run(sql.format(u"INSERT INTO %s(ordid, %s, stats, taxrt, amont, paids) VALUES('%s', %d, %d, %d, %g, %g)",
                       side.orders, side.partnerId, ordid, partner, stats, taxrt, amont, paids));
    }
    // A line of five pieces with `ldngs` of them delivered.
    void line(const NoticeSide& side, const char16_t* ordid, int linnm, const char16_t* prdnm, double ldngs,
              const char16_t* plndt, const String& shpdt)
    {
        String sql;
        run(sql.format(u"INSERT INTO %s(ordid, linnm, prdnm, specs, qunty, ldngs, plndt, shpdt) "
                       u"VALUES('%s', %d, '%s', 'M6', 5, %g, %s, %s)",
                       side.orderLines, ordid, linnm, prdnm, ldngs, plndt, shpdt.c_str()));
    }
    void move(const NoticeSide& side, int partner, const char16_t* id, int stats, const String& invdt,
              const String& pymdt)
    {
        String sql;
        run(sql.format(u"INSERT INTO %s(%s, %s, stats, invdt, pymdt) VALUES('%s', %d, %d, %s, %s)", side.moves,
                       side.moveId, side.partnerId, id, partner, stats, invdt.c_str(), pymdt.c_str()));
    }
    // A movement line of five pieces from order `orgid`, `invcs` of them
    // invoiced.
    void moveLine(const NoticeSide& side, const char16_t* id, int linnm, const char16_t* prdnm, const char16_t* orgid,
                  double invcs, double pramt)
    {
        String sql;
        run(sql.format(u"INSERT INTO %s(%s, linnm, prdnm, specs, qunty, invcs, pramt, orgid) "
                       u"VALUES('%s', %d, '%s', 'M6', 5, %g, %g, '%s')",
                       side.moveLines, side.moveId, id, linnm, prdnm, invcs, pramt, orgid));
    }

    Ref<Value> section(int section, int days)
    {
        Ref<Value> rows = new Value();
        NoticeTable(session).listSection(section, days, rows);
        return rows;
    }
    static Rows column(Value* rows, const char16_t* name)
    {
        Rows values;
        String key;
        for (int i = 0; Value* row = rows->getIndex(i, key); i++)
            values.push_back(row->getAt(name).toStdString());
        return values;
    }
};

} // namespace

TEST_F(NoticeQueriesTest, EachSectionListsExactlyItsOpenRows)
{
    for (const NoticeSide& side : {SALES, PURCHASE}) {
        for (const Case& test : CASES) {
            int number = side.firstSection + test.kind;
            const char16_t* name = test.column ? test.column : side.moveId;
            Ref<Value> rows = section(number, test.days);
            EXPECT_EQ(column(rows, name), test.expected)
                << side.name << " section " << number << ", days " << test.days << ", " << String(name).toStdString();
        }
    }
}

TEST_F(NoticeQueriesTest, RowsCarryTheirPartnerAndStock)
{
    run(u"INSERT INTO zcprdct(prdnm, specs, qunty) VALUES('ship-soon', 'M6', 8)");
    for (const NoticeSide& side : {SALES, PURCHASE}) {
        for (int kind : {REPLY, DELIVERY, INVOICE, PAYMENT}) {
            int number = side.firstSection + kind;
            Ref<Value> rows = section(number, 0);
            Rows partners = column(rows, side.partnerName);
            ASSERT_FALSE(partners.empty()) << side.name << " section " << number;
            EXPECT_EQ(partners, Rows(partners.size(), side.firstSection == 1 ? "华东电子" : "联合五金"))
                << side.name << " section " << number;
        }
    }
    // The lines to ship, and those to receive, show what is in stock.
    EXPECT_EQ(column(section(2, 7), u"stock"), (Rows{"", "8.0"}));
    EXPECT_EQ(column(section(7, 7), u"stock"), (Rows{"", "8.0"}));
}
