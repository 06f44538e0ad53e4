#include "CompanyTestSupport.h"

#include "quillot/frame/TableClass.h"

using tessel::Ref;
using tessel::String;

namespace {

class LookupTest : public CompanyTest {
protected:
    void SetUp() override
    {
        CompanyTest::SetUp();
        ASSERT_TRUE(run(u"INSERT INTO zsclntt(cltnm) VALUES('北京恒信')"));
        ASSERT_TRUE(run(u"INSERT INTO zsclntt(cltnm) VALUES('O''Neil & Co')"));
        ASSERT_TRUE(run(u"INSERT INTO zpsplyt(splnm) VALUES('上海华联')"));
    }
};

TEST_F(LookupTest, PartnersByNameAndByKey)
{
    TableClass table(session);
    EXPECT_EQ(table.clientIdByName(u"北京恒信"), 1);
    EXPECT_EQ(table.clientIdByName(u"O'Neil & Co"), 2);
    EXPECT_EQ(table.clientIdByName(u"x' OR '1'='1"), 0);
    EXPECT_EQ(table.clientIdByName(u""), 0);
    EXPECT_EQ(table.supplierIdByName(u"上海华联"), 1);
    EXPECT_EQ(table.supplierIdByName(u"北京恒信"), 0);
    EXPECT_EQ(table.clientName(2), u"O'Neil & Co");
    EXPECT_EQ(table.clientName(0), u"");
    EXPECT_EQ(table.clientName(9), u"");
    EXPECT_EQ(table.supplierName(1), u"上海华联");
    EXPECT_EQ(table.supplierName(-1), u"");
}

TEST_F(LookupTest, NameCachesBelongToTheirDatabase)
{
    // A second visitor of the same database, and a visitor of another one.
    Ref<SqliteSession> sameDatabase = new SqliteSession(String::fromUTF8(folder.string()));
    ASSERT_TRUE(sameDatabase->open(u"shop"));
    Ref<SqliteSession> otherDatabase = new SqliteSession(String::fromUTF8(folder.string()));
    ASSERT_EQ(CompanyDatabase::create(otherDatabase, app, u"other", u"另一家公司", u"pw", false, NOW), u"");
    ASSERT_TRUE(otherDatabase->execute(u"INSERT INTO zsclntt(cltnm) VALUES('别家客户')"));

    TableClass mine(session), theirs(sameDatabase), elsewhere(otherDatabase);
    EXPECT_EQ(mine.clientNames().size(), 2u);
    EXPECT_EQ(mine.clientNames().at(1), u"北京恒信");
    EXPECT_EQ(elsewhere.clientNames().size(), 1u);
    EXPECT_EQ(elsewhere.clientNames().at(1), u"别家客户");
    EXPECT_EQ(mine.supplierNames().size(), 1u);

    // The names stay until a save drops them, for every visitor at once.
    ASSERT_TRUE(sameDatabase->execute(u"INSERT INTO zsclntt(cltnm) VALUES('新客户')"));
    EXPECT_EQ(mine.clientNames().size(), 2u);
    theirs.dropNameCache(u"client");
    EXPECT_FALSE(PartnerNameCache::isHeld(session, PartnerNameCache::CLIENTS));
    EXPECT_TRUE(PartnerNameCache::isHeld(session, PartnerNameCache::SUPPLIERS));
    EXPECT_EQ(mine.clientNames().size(), 3u);
    EXPECT_TRUE(PartnerNameCache::isHeld(otherDatabase, PartnerNameCache::CLIENTS));

    theirs.dropNameCache(u"other words");
    EXPECT_TRUE(PartnerNameCache::isHeld(session, PartnerNameCache::CLIENTS));
    mine.dropNameCache(u"supply");
    EXPECT_FALSE(PartnerNameCache::isHeld(session, PartnerNameCache::SUPPLIERS));
    mine.dropNameCache(u"_all");
    EXPECT_FALSE(PartnerNameCache::isHeld(session, PartnerNameCache::CLIENTS));
    elsewhere.dropNameCache(u"_all");

    TableClass detached(nullptr);
    EXPECT_TRUE(detached.clientNames().empty());
}

TEST_F(LookupTest, DatesAndNumberListsReachTheSqlInTheirOwnForm)
{
    String out;
    EXPECT_TRUE(TableClass::dateLiteral(u"2011-6-30", false, out));
    EXPECT_EQ(out, u"'2011-06-30'");
    EXPECT_TRUE(TableClass::dateLiteral(u"", true, out));
    EXPECT_EQ(out, u"null");
    EXPECT_FALSE(TableClass::dateLiteral(u"", false, out));
    EXPECT_FALSE(TableClass::dateLiteral(u"2011-02-30", true, out));
    EXPECT_FALSE(TableClass::dateLiteral(u"2011-06-30' OR '1'='1", true, out));
    EXPECT_FALSE(TableClass::dateLiteral(u"12:00", true, out));

    TableClass table(session);
    EXPECT_EQ(table.numberList(u"P1, P2;P'3;;"), u"'P1', 'P2', 'P''3'");
    EXPECT_EQ(table.numberList(u" ; "), u"''");
    ASSERT_TRUE(run(u"INSERT INTO zpordrt(ordid) VALUES('P''3')"));
    String sql;
    sql.format(u"SELECT count(*) FROM zpordrt WHERE ordid IN (%s)", table.numberList(u"P1;P'3").c_str());
    EXPECT_EQ(count(sql), 1);
}

} // namespace
