#include "CompanyTestSupport.h"

#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"

using tessel::String;

namespace {

// Base64 of the UTF-8 bytes, as the page's script sends a text.
String encoded(const String& text)
{
    std::string bytes = text.toStdString();
    tessel::Ref<tessel::MemoryStream> in = new tessel::MemoryStream(bytes.data(), static_cast<int>(bytes.size()),
                                                                    false);
    tessel::Base64Codec codec;
    String out;
    codec.encode(*in, out);
    return out;
}

using NoticePageTest = CompanyTest;

TEST_F(NoticePageTest, SavedTextsReadBackAsTyped)
{
    String first = u"本周五盘点仓库，请提前备货。\n\"注意\" 'A+B' 100%";
    String second;
    for (int i = 0; i < 130; i++)
        second += u"二";
    PageHarness save(u"Update", session, app);
    EXPECT_EQ(save.run({{u"cmd", u"save"}, {u"other1", encoded(first)}, {u"other2", encoded(second)}}), "ok:");
    // Stored decoded: what is read is what was typed, with no second decoding.
    SettingsTable settings(session);
    String stored;
    ASSERT_TRUE(settings.loadLongText(8, stored));
    EXPECT_EQ(stored, first);
    EXPECT_GE(settings.getTime(1, 9), tessel::Date::ansiTime() - 5);
    EXPECT_EQ(save.action->userState().lastNoticeTime(), settings.getTime(1, 9));

    PageHarness info1(u"Update", session, app);
    info1.run({{u"cmd", u"info1"}});
    EXPECT_EQ(info1.at(u"content"), first.toStdString());
    EXPECT_FALSE(info1.action->getValue()->exists(u"version")); // stored just now

    PageHarness info2(u"Update", session, app);
    info2.run({{u"cmd", u"info2"}});
    EXPECT_EQ(String::fromUTF8(info2.at(u"content")), second);

    // Only one text sent: the other stays as it was.
    PageHarness again(u"Update", session, app);
    EXPECT_EQ(again.run({{u"cmd", u"save"}, {u"other1", encoded(u"新的")}}), "ok:");
    ASSERT_TRUE(settings.loadLongText(9, stored));
    EXPECT_EQ(stored, second);
}

TEST_F(NoticePageTest, SavingNothingFails)
{
    PageHarness empty(u"Update", session, app);
    EXPECT_EQ(empty.run({{u"cmd", u"save"}}), empty.message(u"failed"));
    EXPECT_EQ(SettingsTable(session).getTime(1, 9), 0);
    PageHarness garbage(u"Update", session, app);
    EXPECT_EQ(garbage.run({{u"cmd", u"save"}, {u"other1", u"!!!"}}), garbage.message(u"failed"));
    String stored;
    EXPECT_FALSE(SettingsTable(session).loadLongText(8, stored));

    session->close();
    PageHarness closed(u"Update", session, app);
    EXPECT_EQ(closed.run({{u"cmd", u"save"}, {u"other1", encoded(u"x")}}), closed.message(u"failed"));
    PageHarness unbound(u"Update", nullptr, app);
    EXPECT_EQ(unbound.run({{u"cmd", u"save"}, {u"other1", encoded(u"x")}}), unbound.message(u"failed"));
}

} // namespace
