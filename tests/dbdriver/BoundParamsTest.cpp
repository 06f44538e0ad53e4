// Values bound to "?" placeholders: they arrive as values whatever they
// hold, in every call that takes them, and a statement gets exactly as many
// as it has placeholders.
#include "DbTestSupport.h"

using tessel::Ref;
using tessel::String;

class BoundParamsTest : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        ASSERT_TRUE(create(u"shop"));
    }
};

TEST_F(BoundParamsTest, TextsArriveAsTheyAreWhateverTheyHold)
{
    const char16_t* const names[] = {u"O'Brien", u"x'); DROP TABLE zpsplyt; --", u"' OR '1'='1", u"北京\n恒信", u"?",
                                     u""};
    int id = 0;
    for (const char16_t* name : names) {
        int affected = 0;
        ASSERT_TRUE(session->executeCount(u"INSERT INTO zpsplyt(splnm, splty) VALUES(?, ?)", {name, ++id}, &affected))
            << utf8(lastError());
        EXPECT_EQ(affected, 1);
    }
    for (int i = 0; i < id; i++) {
        EXPECT_EQ(session->queryInt(u"SELECT splty FROM zpsplyt WHERE splnm = ?", {names[i]}, -1), i + 1);
        String back;
        EXPECT_EQ(session->queryString(back, u"SELECT splnm FROM zpsplyt WHERE splty = ?", {i + 1}), names[i]);
    }
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt WHERE splnm = ?", {u"nobody' OR '1'='1"}, -1), 0);
}

TEST_F(BoundParamsTest, NumbersAndNullKeepTheirKinds)
{
    ASSERT_TRUE(
        session->execute(u"INSERT INTO zpordrd(ordid, linnm, prdnm, qunty, itmpr, plndt) VALUES(?, ?, ?, ?, ?, ?)",
                         {u"P1", int64_t(7), u"螺丝", 2.5, 0.12345678, DbParam::null()}))
        << utf8(lastError());
    EXPECT_DOUBLE_EQ(session->queryDouble(u"SELECT qunty * itmpr FROM zpordrd WHERE ordid = ? AND linnm = ?",
                                          {u"P1", 7}),
                     2.5 * 0.12345678);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpordrd WHERE plndt IS NULL"), 1);
    Ref<IDbCursor> rows;
    ASSERT_TRUE(session->openCursor(u"SELECT prdnm FROM zpordrd WHERE qunty > ?", {2.0}, rows.out()));
    ASSERT_TRUE(rows->next());
    String name;
    EXPECT_EQ(rows->getStringAt(name, 0), u"螺丝");
}

TEST_F(BoundParamsTest, ValuesMustMatchThePlaceholders)
{
    EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES(?)", {}));
    EXPECT_NE(utf8(lastError()).find("takes 1 values, 0"), std::string::npos) << utf8(lastError());
    EXPECT_FALSE(session->execute(u"INSERT INTO zpsplyt(splnm) VALUES(?)", {u"a", u"b"}));
    Ref<IDbCursor> rows;
    EXPECT_FALSE(session->openCursor(u"SELECT splid FROM zpsplyt WHERE splnm = ?", rows.out()));
    EXPECT_EQ(rows, nullptr);
    EXPECT_EQ(session->queryInt(u"SELECT count(*) FROM zpsplyt"), 0);
    // A statement after the first is still refused, values or not.
    EXPECT_FALSE(session->execute(u"SELECT ?; DELETE FROM zpsplyt", {1}));
}

TEST_F(BoundParamsTest, PagedCommandsTakeValues)
{
    String name;
    for (int i = 1; i <= 12; i++)
        ASSERT_TRUE(
            session->execute(u"INSERT INTO zpsplyt(splnm, splty) VALUES(?, ?)", {name.format(u"s%d", i), i % 2}));
    Ref<IDbCommand> command;
    ASSERT_TRUE(session->createCommand(command.out()));
    command->setSql(u"SELECT splid FROM zpsplyt WHERE splty = ? ORDER BY splid");
    command->setParams({1});
    command->setLimit(3);
    command->setOffset(2);
    Ref<IDbCursor> rows;
    ASSERT_TRUE(command->executeQuery(rows.out()));
    std::vector<int> ids;
    while (rows->next())
        ids.push_back(rows->getIntAt(0));
    EXPECT_EQ(ids, (std::vector<int>{5, 7, 9}));
}
