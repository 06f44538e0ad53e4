#include "CompanyTestSupport.h"

#include "quillot/frame/SettingsTable.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

class SettingsTest : public CompanyTest {
protected:
    String repeated(const char16_t* unit, int count)
    {
        String out;
        for (int i = 0; i < count; i++)
            out += unit;
        return out;
    }
    std::string pieces(int classid)
    {
        String sql;
        sql.format(u"SELECT group_concat(nameid || '=' || length(svalue), ',') FROM"
                   u" (SELECT nameid, svalue FROM zsysconf WHERE classid = %d ORDER BY nameid)",
                   classid);
        return text(sql);
    }
};

TEST_F(SettingsTest, CompanyDataAndItsTaxFactor)
{
    ASSERT_TRUE(run(u"UPDATE zsysconf SET svalue = '华东贸易' WHERE classid = 2 AND nameid = 1"));
    ASSERT_TRUE(run(u"UPDATE zsysconf SET svalue = '13' WHERE classid = 2 AND nameid = 9"));
    SettingsTable settings(session);
    Ref<Value> data = new Value();
    settings.companySettings(data);
    EXPECT_EQ(data->size(), 9);
    EXPECT_EQ(data->getAt(u"company"), u"华东贸易");
    EXPECT_EQ(data->getAt(u"taxrate"), u"13");
    EXPECT_TRUE(data->exists(u"lisence"));
    EXPECT_DOUBLE_EQ(settings.taxFactor(), 1.13);

    const struct {
        const char16_t* rate;
        double factor;
    } cases[] = {{u"", 1.17}, {u"0", 1.0}, {u"17", 1.17}, {u"6.5", 1.065}, {u"abc", 1.17}, {u"-5", 1.17}};
    for (const auto& c : cases) {
        ASSERT_TRUE(settings.setText(2, 9, c.rate));
        EXPECT_DOUBLE_EQ(settings.taxFactor(), c.factor) << String(c.rate).toStdString();
    }
}

TEST_F(SettingsTest, LongTextsAreKeptInPieces)
{
    SettingsTable settings(session);
    String text = repeated(u"交货", 300); // 600 characters
    ASSERT_TRUE(settings.saveLongText(8, text));
    EXPECT_EQ(pieces(8), "1=250,2=250,3=100");
    String back;
    ASSERT_TRUE(settings.loadLongText(8, back));
    EXPECT_EQ(back, text);

    // Exactly 500 characters end with an empty piece and read back as they were.
    String five = repeated(u"a'b\\c", 100);
    ASSERT_TRUE(settings.saveLongText(8, five));
    EXPECT_EQ(pieces(8), "1=250,2=250,3=0");
    ASSERT_TRUE(settings.loadLongText(8, back));
    EXPECT_EQ(back, five);

    EXPECT_FALSE(settings.saveLongText(9, u""));
    EXPECT_FALSE(settings.loadLongText(9, back));
    EXPECT_EQ(back, u"");

    // Inside a transaction of the caller, the caller decides.
    {
        DbTransaction transaction(session);
        ASSERT_TRUE(settings.saveLongText(9, u"abandoned"));
    }
    EXPECT_FALSE(settings.loadLongText(9, back));
}

TEST_F(SettingsTest, OptionTextsCannotBreakOutOfTheScript)
{
    EXPECT_EQ(SettingsTable::scriptText(u"x"), u"x");
    EXPECT_EQ(SettingsTable::scriptText(u"it's"), u"it\\'s");
    EXPECT_EQ(SettingsTable::scriptText(u"a\\b"), u"a\\\\b");
    EXPECT_EQ(SettingsTable::scriptText(u"</script><b>"), u"\\x3C/script\\x3E\\x3Cb\\x3E");
    EXPECT_EQ(SettingsTable::scriptText(u"1\r\n2\u2028"), u"1\\r\\n2\\u2028");
    EXPECT_EQ(SettingsTable::scriptText(u"\"\t"), u"\\\"\\x09");

    ASSERT_TRUE(run(u"DELETE FROM zsysconf WHERE classid >= 10"));
    ASSERT_TRUE(run(u"INSERT INTO zsysconf(classid, nameid, svalue) VALUES(14, 0, 'x''];alert(1);//')"));
    SettingsTable settings(session);
    Ref<Value> tree = new Value();
    ASSERT_TRUE(settings.fillDropdowns(tree));
    EXPECT_EQ(tree->getAt(u"dropdowns"), u"Dropdowns['paytype'] = ['x\\'];alert(1);//'];\n");
    EXPECT_EQ(tree->getAt(u"paytype.0"), u"x'];alert(1);//"); // the list keeps the text as typed
}

TEST_F(SettingsTest, NoticeTextsAreDecodedOnce)
{
    // "通知 A+B" in UTF-8, as the page sends it.
    String sent = u"6YCa55+lIEErQg==";
    EXPECT_EQ(SettingsTable::decodeNotice(sent), u"通知 A+B");
    EXPECT_EQ(SettingsTable::decodeNotice(u"77u/6YCa"), u"通"); // a byte order mark goes
    EXPECT_EQ(SettingsTable::decodeNotice(u""), u"");
}

} // namespace
