#include "CompanyTestSupport.h"

#include <set>

using tessel::Ref;
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

TEST_F(SchemaFileTest, EveryTableIsThereWithATitle)
{
    Ref<DbDatabase> schema = CompanyDatabase::read(app, CompanyDatabase::SCHEMA_FILE);
    ASSERT_TRUE(schema);
    const std::set<std::string> expected = {
        "zsysconf", "zsysuser", "zsyslast", "zpsplyt", "zpcntct", "zsclntt", "zscntct", "zpordrt", "zpordrd",
        "zpextrd",  "zsordrt",  "zsordrd",  "zsextrd", "zwimprt", "zwimprd", "zwexprt", "zwexprd", "zcprdct",
        "zwacntt",  "zpinvct",  "zpinvcd",  "zsinvct", "zsinvcd", "zppymnt", "zppymnd", "zspymnt", "zspymnd"};
    std::set<std::string> found;
    for (int i = 0; i < schema->tables(); i++) {
        DbTable* table = schema->getTable(i);
        found.insert(table->getName().toStdString());
        EXPECT_FALSE(table->getTitle().empty()) << table->getName().toStdString();
    }
    EXPECT_EQ(found, expected);
    EXPECT_FALSE(CompanyDatabase::read(app, u"missing.xml"));
}

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
}

TEST_F(SchemaFileTest, KeysRefuseDuplicatesAndPartnersGetKeys)
{
    ASSERT_TRUE(run(u"INSERT INTO zpordrt(ordid) VALUES('P1')"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zpordrt(ordid) VALUES('P1')"));
    ASSERT_TRUE(run(u"INSERT INTO zpordrd(ordid, linnm) VALUES('P1', 1)"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zpordrd(ordid, linnm) VALUES('P1', 1)"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zsysconf(classid, nameid) VALUES(2, 1)"));
    ASSERT_TRUE(run(u"INSERT INTO zcprdct(prdnm, specs) VALUES('a', 'b')"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zcprdct(prdnm, specs) VALUES('a', 'b')"));

    ASSERT_TRUE(run(u"INSERT INTO zpsplyt(splnm) VALUES('甲')"));
    EXPECT_EQ(session->getSequence(u"zpsplyt_splid_seq"), 1);
    EXPECT_EQ(count(u"SELECT stats FROM zpsplyt WHERE splid = 1"), 1); // enabled
    ASSERT_TRUE(run(u"INSERT INTO zpcntct(splid, cntct) VALUES(1, '王')"));
    EXPECT_EQ(session->getSequence(u"zpcntct_cntid_seq"), 1);
    EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('甲')")); // one supplier per name

    // The joined and filtered columns are indexed.
    for (const char* index : {"zpcntct_splid", "zwimprd_orgid_orgln", "zpinvcd_orgid_orgln", "zppymnd_ordid",
                              "zpordrd_prdnm_specs", "zwacntt_prdnm_specs", "zpordrt_splid"}) {
        String sql;
        sql.format(u"SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '%hs'", index);
        EXPECT_EQ(count(sql), 1) << index;
    }
}

TEST_F(SchemaFileTest, ANewDatabaseStartsWithItsSettings)
{
    EXPECT_EQ(text(u"SELECT svalue FROM zsysconf WHERE classid = 1 AND nameid = 0"), "20110401");
    EXPECT_EQ(count(u"SELECT count(*) FROM zsysconf WHERE classid = 2"), 9);
    EXPECT_EQ(count(u"SELECT count(*) FROM zsysconf WHERE classid = 3"), 3);
    for (int classid = 10; classid <= 14; classid++) {
        String sql;
        sql.format(u"SELECT count(*) FROM zsysconf WHERE classid = %d AND nameid = 0", classid);
        EXPECT_EQ(count(sql), 1) << classid; // every list has its default option
    }
    EXPECT_EQ(text(u"SELECT svalue FROM zsysconf WHERE classid = 10 AND nameid = 0"), "人民币");
    EXPECT_EQ(text(u"SELECT svalue FROM zsysconf WHERE classid = 11 AND nameid = 1"), "女");
    EXPECT_EQ(text(u"SELECT fullname FROM zsysuser WHERE userid = 'SYSTEM'"), "系统管理员");
    EXPECT_EQ(text(u"SELECT group_concat(prefix, ',') FROM (SELECT prefix FROM zsyslast ORDER BY tableid)"),
              "SO,SI,SP,PO,PI,PP,GR,GI");
    EXPECT_EQ(text(u"SELECT svalue FROM zsysconf WHERE classid = 1 AND nameid = 3"), "1309413900");
}

} // namespace
