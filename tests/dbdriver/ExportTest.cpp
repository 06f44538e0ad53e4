#include <cstring>
#include <vector>

#include "tessel/core/XmlParser.h"

#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;
using tessel::XmlParser;

// The export file read back: every value comes back exactly as it was.
class ExportTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
    }

    void insert(const String& ordid, const char16_t* prdnm, const char16_t* qunty, const char16_t* linnm = u"1")
    {
        String sql;
        sql.format(u"INSERT INTO zpordrd(ordid, linnm, prdnm, qunty, plndt) VALUES('%s', %s, %s, %s, NULL)",
                   session->escape(ordid).c_str(), linnm, prdnm, qunty);
        ASSERT_TRUE(session->execute(sql)) << utf8(lastError()) << " " << utf8(sql);
    }

    // Each row as text: types, then the values, reals by their bits.
    static std::vector<std::string> snapshot(SqliteSession* over)
    {
        std::vector<std::string> rows;
        Ref<IDbCursor> cursor;
        over->openCursor(u"SELECT typeof(ordid) || typeof(linnm) || typeof(prdnm) || typeof(qunty) || "
                         u"typeof(itmpr) || typeof(plndt), ordid, CAST(linnm AS TEXT), prdnm, qunty, itmpr "
                         u"FROM zpordrd ORDER BY ordid",
                         cursor.out());
        while (cursor && cursor->next()) {
            std::string row;
            String text;
            for (int i = 0; i < 3; i++)
                row += utf8(cursor->getStringAt(text, i)) + "|";
            row += (cursor->isNull(3) ? "null" : "") + utf8(cursor->getStringAt(text, 3)) + "|";
            for (int i = 4; i < 6; i++) {
                double value = cursor->getDoubleAt(i);
                uint64_t bits;
                std::memcpy(&bits, &value, sizeof bits);
                row += std::to_string(bits) + "|";
            }
            rows.push_back(row);
        }
        return rows;
    }

    String exportFile(std::initializer_list<const char16_t*> tables)
    {
        Ref<IDbAdmin> admin;
        EXPECT_TRUE(session->getAdmin(admin.out()));
        String file(u"<database name=\"shop\">\n");
        for (const char16_t* table : tables) {
            String xml;
            EXPECT_TRUE(admin->exportTable(table, xml));
            file += xml;
        }
        return file + u"</database>\n";
    }

    static bool parse(DbDatabase& database, const String& text)
    {
        XmlParser parser;
        parser.setXml(text.c_str(), text.size());
        return database.parseXML(parser);
    }
};

TEST_F(ExportTest, AwkwardValuesAndKeysSurviveExportParseAndLoad)
{
    insert(u"1 quotes", u"'it''s \"quoted\"'", u"0.1 + 0.2");
    insert(u"2 markup", u"'a & b < c > d &amp; &nbsp;'", u"1e300");
    insert(u"3 lines", u"'line one' || char(10) || 'line two' || char(13, 10) || char(9) || 'end'", u"-2.5");
    insert(u"4 chinese", u"'螺丝钉 规格'", u"5.0000");
    insert(u"5 null", u"NULL", u"-0.000001");
    insert(u"6 empty", u"''", u"0");
    insert(u"7 blanks", u"'  padded  '", u"4.9406564584124654e-324");
    insert(u"8 big", u"'x'", u"1", u"9223372036854775807");
    insert(u"9 small", u"'y'", u"1", u"-9223372036854775808");
    insert(u"a'quote id", u"'z'", u"1");
    std::vector<std::string> before = snapshot(session);
    ASSERT_EQ(before.size(), 10u);
    ASSERT_TRUE(session->execute(u"INSERT INTO zpsplyt(splid, splnm) VALUES(7, '甲')"));

    String xml = exportFile({u"zpordrd", u"zpsplyt"});
    EXPECT_NE(utf8(xml).find("qunty=\"0.30000000000000004\""), std::string::npos) << utf8(xml); // 17 digits
    Ref<DbDatabase> file = new DbDatabase();
    ASSERT_TRUE(parse(*file, xml));
    EXPECT_EQ(utf8(file->getName()), "shop");
    EXPECT_EQ(file->tables(), 0);
    ASSERT_EQ(file->datasets(), 2);
    EXPECT_EQ(utf8(file->getDataset(1)->getTable()), "zpsplyt");

    Ref<SqliteSession> target = new SqliteSession(String::fromUTF8(folder.string()));
    Ref<IDbAdmin> admin;
    ASSERT_TRUE(target->getAdmin(admin.out()));
    ASSERT_TRUE(admin->createTables(loadSample(u"copy"), false));
    {
        DbTransaction transaction(target);
        ASSERT_TRUE(admin->loadDataset(file->getDataset(0), true));
        ASSERT_TRUE(admin->loadDataset(file->getDataset(1), true));
        ASSERT_TRUE(transaction.commit());
    }
    EXPECT_EQ(snapshot(target), before);
    EXPECT_EQ(target->queryInt(u"SELECT splid FROM zpsplyt WHERE splnm = '甲'"), 7); // keys come back too

    String none(u"stale");
    EXPECT_FALSE(admin->exportTable(u"nosuch", none));
    EXPECT_TRUE(none.empty());
    EXPECT_FALSE(admin->exportTable(u"zpsplyt\" x=\"", none));
}
