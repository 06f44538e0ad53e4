#include "CompanyTestSupport.h"

#include <fstream>
#include <map>
#include <sstream>

#include "quillot/frame/SettingsTable.h"

using tessel::Ref;
using tessel::String;

namespace {

const char16_t* const TABLES[] = {u"zpordrt", u"zpordrd", u"zsordrt", u"zsordrd", u"zwimprt", u"zwimprd",
                                  u"zwexprt", u"zwexprd", u"zpinvct", u"zpinvcd", u"zsinvct", u"zsinvcd",
                                  u"zppymnt", u"zppymnd", u"zspymnt", u"zspymnd", u"zsysconf"};

// Databases as older versions of the program left them: the current
// schema, without the discount column before 20110228, with a few orders
// and the documents made from them.
class UpgradeTest : public CompanyTest {
protected:
    void createOld(const String& name, int version)
    {
        std::ifstream file(TEST_SOURCE_DIR "/app/quillot.xml", std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        String text = String::fromUTF8(bytes.str());
        if (version < SettingsTable::VERSION_DISCOUNT)
            text.replace(u"<column name=\"disct\" type=\"real\"/>", u"");
        tessel::XmlParser parser;
        parser.setXml(text.c_str(), text.size());
        Ref<DbDatabase> schema = new DbDatabase();
        ASSERT_TRUE(schema->parseXML(parser));
        schema->setName(name);
        Ref<IDbAdmin> admin;
        ASSERT_TRUE(session->getAdmin(admin.out()) && admin->createTables(schema, true)) << lastError();
        if (version == 0) {
            ASSERT_TRUE(run(u"DELETE FROM zsysconf WHERE classid = 1 AND nameid = 0"));
        } else {
            String sql;
            sql.format(u"UPDATE zsysconf SET svalue = '%d' WHERE classid = 1 AND nameid = 0", version);
            ASSERT_TRUE(run(sql));
        }
        addDocuments();
    }

    void addDocuments()
    {
        const char16_t* const rows[] = {
            // P1 with tax: a line priced without tax, one with tax.
            u"INSERT INTO zpordrt(ordid, splid, taxrt, amont, paids, stats) VALUES('P1', 1, 1, 40, 0, 3)",
            u"INSERT INTO zpordrd(ordid, linnm, qunty, itmpr, taxrt, pramt, ldngs) VALUES('P1', 1, 3, 10, 0, 30, 3)",
            u"INSERT INTO zpordrd(ordid, linnm, qunty, itmpr, taxrt, pramt) VALUES('P1', 2, 2, 5, 1, 10)",
            // P2 paid, received and invoiced; P3 paid and received, not invoiced.
            u"INSERT INTO zpordrt(ordid, splid, taxrt, amont, paids, stats) VALUES('P2', 1, 1, 10, 10, 3)",
            u"INSERT INTO zpordrd(ordid, linnm, qunty, itmpr, taxrt, pramt, ldngs, invcs)"
            u" VALUES('P2', 1, 2, 5, 1, 10, 2, 2)",
            u"INSERT INTO zpordrt(ordid, splid, taxrt, amont, paids, stats) VALUES('P3', 1, 1, 10, 10, 3)",
            u"INSERT INTO zpordrd(ordid, linnm, qunty, itmpr, taxrt, pramt, ldngs, invcs)"
            u" VALUES('P3', 1, 2, 5, 0, 10, 2, 0)",
            // S1 with tax; S2 to S4 without, shipped, paid to within 0.1, 0.1 and 0.11.
            u"INSERT INTO zsordrt(ordid, cltid, taxrt, amont, paids, stats) VALUES('S1', 1, 1, 100, 0, 3)",
            u"INSERT INTO zsordrd(ordid, linnm, qunty, itmpr, taxrt, pramt, ldngs) VALUES('S1', 1, 4, 25, 0, 100, 4)",
            u"INSERT INTO zsordrt(ordid, cltid, taxrt, amont, paids, stats) VALUES('S2', 1, 0, 50, 49.9, 3)",
            u"INSERT INTO zsordrd(ordid, linnm, qunty, itmpr, pramt, ldngs) VALUES('S2', 1, 1, 50, 50, 1)",
            u"INSERT INTO zsordrt(ordid, cltid, taxrt, amont, paids, stats) VALUES('S3', 1, 0, 1.1, 1.0, 2)",
            u"INSERT INTO zsordrd(ordid, linnm, qunty, itmpr, pramt, ldngs) VALUES('S3', 1, 1, 1.1, 1.1, 1)",
            u"INSERT INTO zsordrt(ordid, cltid, taxrt, amont, paids, stats) VALUES('S4', 1, 0, 50, 49.89, 3)",
            u"INSERT INTO zsordrd(ordid, linnm, qunty, itmpr, pramt, ldngs) VALUES('S4', 1, 1, 50, 50, 1)",
            // Goods received and shipped, invoiced, paid.
            u"INSERT INTO zwimprt(impid, splid, stats) VALUES('GR201101001', 1, 3)",
            u"INSERT INTO zwimprd(impid, linnm, qunty, itmpr, pramt, orgid, orgln) VALUES('GR201101001', 1, 3, 10, 30, 'P1', 1)",
            u"INSERT INTO zwexprt(expid, cltid, stats) VALUES('GI201101001', 1, 3)",
            u"INSERT INTO zwexprd(expid, linnm, qunty, itmpr, pramt, orgid, orgln) VALUES('GI201101001', 1, 4, 25, 100, 'S1', 1)",
            u"INSERT INTO zpinvct(invid, splid, amont, stats) VALUES('PI201101001', 1, 30, 3)",
            u"INSERT INTO zpinvcd(invid, linnm, qunty, itmpr, pramt, orgid, orgln) VALUES('PI201101001', 1, 3, 10, 30, 'GR201101001', 1)",
            u"INSERT INTO zsinvct(invid, cltid, amont, stats) VALUES('SI201101001', 1, 100, 3)",
            u"INSERT INTO zsinvcd(invid, linnm, qunty, itmpr, pramt, orgid, orgln) VALUES('SI201101001', 1, 4, 25, 100, 'GI201101001', 1)",
            u"INSERT INTO zppymnt(pymid, splid, amont, stats) VALUES('PP201101001', 1, 12.3456, 3)",
            u"INSERT INTO zppymnd(pymid, linnm, ordid, paids) VALUES('PP201101001', 1, 'P2', 10)",
            u"INSERT INTO zspymnt(pymid, cltid, amont, stats) VALUES('SP201101001', 1, 7.7771, 3)",
            u"INSERT INTO zspymnd(pymid, linnm, ordid, paids) VALUES('SP201101001', 1, 'S2', 49.9)",
        };
        for (const char16_t* sql : rows)
            ASSERT_TRUE(run(sql));
        for (const char16_t* table : TABLES)
            before[table] = rowsOf(table);
    }

    int rowsOf(const char16_t* table)
    {
        String sql;
        sql.format(u"SELECT count(*) FROM %s", table);
        return count(sql);
    }
    // `added` settings rows may have come: the version row of a database
    // that had none.
    void expectNoRowLost(int added = 0)
    {
        for (const char16_t* table : TABLES)
            EXPECT_EQ(rowsOf(table), before[table] + (table == std::u16string(u"zsysconf") ? added : 0))
                << String(table).toStdString();
    }
    double number(const char16_t* sql) { return session->queryDouble(sql, -1); }
    int stateOf(const char16_t* header, const char16_t* ordid)
    {
        String sql;
        sql.format(u"SELECT stats FROM %s WHERE ordid = '%s'", header, ordid);
        return count(sql);
    }
    bool upgrade() { return SettingsTable(session).upgrade(); }
    int version() { return SettingsTable(session).dataVersion(); }

    std::map<std::u16string, int> before;
};

TEST_F(UpgradeTest, FromNoVersionAllThreeStepsRun)
{
    createOld(u"old0", 0);
    ASSERT_TRUE(upgrade()) << lastError();
    EXPECT_EQ(version(), 20110401);
    EXPECT_EQ(count(u"SELECT count(*) FROM zsysconf WHERE classid = 1 AND nameid = 0"), 1);
    expectNoRowLost(1);

    // Step A: prices without tax on orders with tax take the factor 1.17,
    // down to the documents made from those lines.
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zpordrd WHERE ordid = 'P1' AND linnm = 1"), 35.1);
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zpordrd WHERE ordid = 'P1' AND linnm = 2"), 10);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zpordrt WHERE ordid = 'P1'"), 45.1);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zsordrt WHERE ordid = 'S1'"), 117);
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zwimprd"), 35.1);
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zwexprd"), 117);
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zpinvcd"), 35.1);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zpinvct"), 35.1);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zsinvct"), 117);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zsordrt WHERE ordid = 'S2'"), 50); // without tax: unchanged

    // Step B: a decimal discount column, money rounded to cents.
    EXPECT_EQ(text(u"SELECT type FROM pragma_table_info('zpordrt') WHERE name = 'disct'"), "REAL");
    EXPECT_EQ(text(u"SELECT type FROM pragma_table_info('zsordrt') WHERE name = 'disct'"), "REAL");
    EXPECT_EQ(text(u"SELECT typeof(disct) FROM zpordrt WHERE ordid = 'P1'"), "real");
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zppymnt"), 12.35);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zspymnt"), 7.78);

    // Step C: paid to within 0.1 and nothing left to ship closes the order.
    EXPECT_EQ(stateOf(u"zsordrt", u"S2"), 4);
    EXPECT_EQ(stateOf(u"zsordrt", u"S3"), 4);
    EXPECT_EQ(stateOf(u"zsordrt", u"S4"), 3);
    EXPECT_EQ(stateOf(u"zsordrt", u"S1"), 3);
    EXPECT_EQ(stateOf(u"zpordrt", u"P2"), 4);
    EXPECT_EQ(stateOf(u"zpordrt", u"P3"), 3); // its total took the tax factor: 11.7 is not paid

    // Once at the current version nothing more happens.
    EXPECT_TRUE(upgrade());
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zpordrd WHERE ordid = 'P1' AND linnm = 1"), 35.1);
}

TEST_F(UpgradeTest, From20100228TheAmountsStay)
{
    createOld(u"old1", 20100228);
    ASSERT_TRUE(upgrade()) << lastError();
    EXPECT_EQ(version(), 20110401);
    expectNoRowLost();
    EXPECT_DOUBLE_EQ(number(u"SELECT pramt FROM zpordrd WHERE ordid = 'P1' AND linnm = 1"), 30);
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zpinvct"), 30);
    EXPECT_EQ(text(u"SELECT type FROM pragma_table_info('zsordrt') WHERE name = 'disct'"), "REAL");
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zppymnt"), 12.35);
    EXPECT_EQ(stateOf(u"zsordrt", u"S2"), 4);
}

TEST_F(UpgradeTest, From20110228OnlySettledOrdersClose)
{
    createOld(u"old2", 20110228);
    ASSERT_TRUE(upgrade()) << lastError();
    EXPECT_EQ(version(), 20110401);
    expectNoRowLost();
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zppymnt"), 12.3456); // no rounding step
    EXPECT_EQ(stateOf(u"zsordrt", u"S2"), 4);                        // 0.1 apart
    EXPECT_EQ(stateOf(u"zsordrt", u"S3"), 4);                        // 1.10 - 1.00
    EXPECT_EQ(stateOf(u"zsordrt", u"S4"), 3);                        // 0.11 apart
    EXPECT_EQ(stateOf(u"zsordrt", u"S1"), 3);                        // not paid
    EXPECT_EQ(stateOf(u"zpordrt", u"P2"), 4);
    // Paid and received, but an order with tax still to be invoiced stays
    // open, whatever its lines' price kind.
    EXPECT_EQ(stateOf(u"zpordrt", u"P3"), 3);
}

TEST_F(UpgradeTest, AFailedStepLeavesTheVersionAndCanBeRetried)
{
    createOld(u"old3", 20100228);
    ASSERT_TRUE(run(u"ALTER TABLE zspymnt RENAME TO zspymnt_away"));
    EXPECT_FALSE(upgrade());
    EXPECT_EQ(version(), 20100228);
    // The discount column came with the step and went with it.
    EXPECT_EQ(text(u"SELECT count(*) FROM pragma_table_info('zpordrt') WHERE name = 'disct'"), "0");
    EXPECT_DOUBLE_EQ(number(u"SELECT amont FROM zppymnt"), 12.3456);

    ASSERT_TRUE(run(u"ALTER TABLE zspymnt_away RENAME TO zspymnt"));
    PageHarness page(u"SystemUpgrade", session, app);
    EXPECT_EQ(page.run({{u"cmd", u"upgrade"}}), "ok:");
    EXPECT_EQ(version(), 20110401);
    expectNoRowLost();
}

} // namespace
