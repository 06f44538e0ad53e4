#include "tessel/core/XmlParser.h"

#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;
using tessel::XmlParser;

// Reading schema descriptions and the databases made from them.
class SchemaTest : public DbTest {
protected:
    static bool parse(DbDatabase& database, const char* xml)
    {
        String text = String::fromUTF8(xml);
        XmlParser parser;
        parser.setXml(text.c_str(), text.size());
        return database.parseXML(parser);
    }
    static bool parses(const char* xml)
    {
        Ref<DbDatabase> database = new DbDatabase();
        bool ok = parse(*database, xml);
        EXPECT_TRUE(ok || (database->tables() == 0 && database->datasets() == 0));
        return ok;
    }
};

TEST_F(SchemaTest, TheCreatedTablesHaveTheDescribedTypesAndConstraints)
{
    ASSERT_TRUE(create(u"shop"));
    String text;
    EXPECT_EQ(utf8(session->queryString(text, u"SELECT group_concat(type, ',') FROM pragma_table_info('zpordrd')")),
              "TEXT,INTEGER,TEXT,REAL,REAL,TEXT");
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND name = 'zpordrd_prdnm'"),
              1);
    ASSERT_TRUE(session->execute(u"INSERT INTO zpordrd(ordid, linnm) VALUES('a', 1)"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zpordrd(ordid, linnm) VALUES('a', 1)"));
    EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES(NULL)"));
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES('x')"));
    EXPECT_EQ(utf8(session->queryString(text, u"SELECT quote(rmrks) || typeof(splty) FROM zpsplyt")), "''integer");
}

TEST_F(SchemaTest, BrokenDescriptionsAreRefusedWhole)
{
    const char* const broken[] = {
        "",
        "<table name='t'><column name='a' type='int'/></table>", // no database element
        "<database><column name='a' type='int'/></database>",
        "<database><table name='t'/></database>",
        "<database><table name='t'><column name='a' type='money'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/></table>"
        "<table name='T'><column name='a' type='int'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/><column name='A' type='text'/></table></database>",
        "<database><table name='t\"; DROP'><column name='a' type='int'/></table></database>",
        "<database><table name='sqlite_x'><column name='a' type='int'/></table></database>",
        "<database><table name='t'><column name='a b' type='int'/></table></database>",
        "<database><table name='t'><column name='a' type='key'/><column name='b' type='key'/></table></database>",
        "<database><table name='t'><column name='a' type='key'/><column name='b' type='int'/>"
        "<primary columns='b'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/><primary columns='a,x'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/><index columns=''/></table></database>",
        "<database><table name='t'><column name='a' type='int' default='1; DROP'/></table></database>",
        "<database><table name='t'><column name='a' type='real' default='inf'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/><index name='i' columns='a'/></table>"
        "<table name='u'><column name='a' type='int'/><index name='I' columns='a'/></table></database>",
        "<database><table name='t'><column name='a' type='int'/><index name='u' columns='a'/></table>"
        "<table name='u'><column name='a' type='int'/></table></database>",
        "<database><dataset><row a='1'/></dataset></database>",
        "<database><row a='1'/></database>",
        "<database><dataset table='t'><null column='a'/></dataset></database>",
    };
    for (const char* xml : broken)
        EXPECT_FALSE(parses(xml)) << xml;
}
