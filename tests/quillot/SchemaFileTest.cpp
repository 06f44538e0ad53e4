#include "CompanyTestSupport.h"

using tessel::String;

namespace {

class SchemaFileTest : public CompanyTest {
protected:
    std::string columnType(const char* table, const char* column)
    {
        String sql;
        sql.format(u"SELECT type FROM pragma_table_info('%hs') WHERE name = '%hs'", table, column);
        return text(sql);
    }
    std::string defaultOf(const char* table, const char* column)
    {
        String sql;
        sql.format(u"SELECT dflt_value FROM pragma_table_info('%hs') WHERE name = '%hs'", table, column);
        return text(sql);
    }
};

TEST_F(SchemaFileTest, DecimalsAreRealAndCountersStartAtZero)
{
    for (const char* table : {"zpordrd", "zsordrd", "zwimprd", "zwexprd", "zpinvcd", "zsinvcd", "zcprdct"}) {
        EXPECT_EQ(columnType(table, "qunty"), "REAL") << table;
        EXPECT_EQ(columnType(table, "itmpr"), "REAL") << table;
    }
    for (const char* table : {"zpordrt", "zsordrt"}) {
        EXPECT_EQ(columnType(table, "disct"), "REAL");
        EXPECT_EQ(columnType(table, "paids"), "REAL");
        EXPECT_EQ(defaultOf(table, "paids"), "0.0");
        EXPECT_EQ(defaultOf(table, "disct"), "0.0");
    }
    EXPECT_EQ(columnType("zpordrd", "ldngs"), "REAL");
    EXPECT_EQ(defaultOf("zpordrd", "ldngs"), "0.0");
    EXPECT_EQ(defaultOf("zwimprd", "invcs"), "0.0");
    EXPECT_EQ(defaultOf("zwimprd", "orgln"), "0");
    EXPECT_EQ(columnType("zppymnd", "reman"), "REAL");
    EXPECT_EQ(columnType("zwacntt", "intal"), "REAL");

    // A new order line starts with nothing received or invoiced, and an
    // empty ship date that the notices compare with ''.
    ASSERT_TRUE(run(u"INSERT INTO zpordrd(ordid, linnm, qunty) VALUES('P1', 1, 5)"));
    EXPECT_EQ(count(u"SELECT count(*) FROM zpordrd WHERE ldngs = 0 AND invcs = 0 AND shpdt = '' AND rmrks = ''"), 1);
    EXPECT_EQ(text(u"SELECT typeof(qunty / 2) FROM zpordrd"), "real");
    // A stock receipt's expected dates may be null.
    ASSERT_TRUE(run(u"INSERT INTO zwimprt(impid) VALUES('GR1')"));
    EXPECT_EQ(count(u"SELECT count(*) FROM zwimprt WHERE invdt IS NULL AND excdt = ''"), 1);
    EXPECT_FALSE(CompanyDatabase::read(app, u"missing.xml"));
}

} // namespace
