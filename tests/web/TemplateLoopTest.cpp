// tpl:loop over map rows and leaf rows, with row numbers, base and size.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateLoopTest : public WebTest {
protected:
    // Rows "001".."00n" of `list`, each a map with "code" = "c<i>".
    void rows(int n)
    {
        for (int i = 1; i <= n; i++) {
            char key[16];
            std::snprintf(key, sizeof key, "list.%03d.code", i);
            set(key, "c" + std::to_string(i));
        }
    }
};

TEST_F(TemplateLoopTest, MapRowsAreTheirOwnScope)
{
    rows(3);
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{ROWID}:{NAME}={code};</tpl:loop>"), "1:001=c1;2:002=c2;3:003=c3;");
}

TEST_F(TemplateLoopTest, RowsReachTheRestOfTheTree)
{
    rows(2);
    set("title", "T");
    set("FORM.cmd", "list");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{TOP.title}{PARENT.PARENT.title}{FORM.cmd}</tpl:loop>"), "TTlistTTlist");
}

TEST_F(TemplateLoopTest, LeafRowsSeeNameValueAndRowId)
{
    set("colors.b", "blue");
    set("colors.a", "amber");
    set("title", "T");
    EXPECT_EQ(renderText("<tpl:loop name=\"colors\">{ROWID}.{NAME}={VALUE}{title};</tpl:loop>"), "1.a=amber;2.b=blue;");
}

TEST_F(TemplateLoopTest, SizeLimitsTheRows)
{
    rows(5);
    EXPECT_EQ(renderText("<tpl:loop name=\"list\" size=\"3\">{code}</tpl:loop>"), "c1c2c3");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\" size=\"0\">{code}</tpl:loop>"), "c1c2c3c4c5");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\" size=\"-1\">{code}</tpl:loop>"), "c1c2c3c4c5");
}

TEST_F(TemplateLoopTest, BaseSetsTheFirstRowNumber)
{
    rows(3);
    EXPECT_EQ(renderText("<tpl:loop name=\"list\" base=\"0\">{ROWID}</tpl:loop>"), "012");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\" base=\"10\" rowid=\"n\">{n}</tpl:loop>"), "101112");
}

TEST_F(TemplateLoopTest, LeavesNamedLikeTheRowIdOrNameAreSkipped)
{
    set("items.ROWID", "skip");
    set("items.NAME", "skip");
    set("items.a", "A");
    set("items.b", "B");
    EXPECT_EQ(renderText("<tpl:loop name=\"items\" size=\"2\">{ROWID}{VALUE}</tpl:loop>"), "1A2B");
}

TEST_F(TemplateLoopTest, IfInsideALoopTestsTheRowNumber)
{
    rows(3);
    EXPECT_EQ(renderText("<tpl:loop name=\"list\"><tpl:if opcode=\"first\">[<tpl:else>,</tpl:if>{code}</tpl:loop>]"),
              "[c1,c2,c3]");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{code}<tpl:if opcode=\"lastof\" value=\"2\">|</tpl:if></tpl:loop>"),
              "c1c2|c3");
}

TEST_F(TemplateLoopTest, InsertedEntriesAreRemovedAfterwards)
{
    rows(2);
    renderText("<tpl:loop name=\"list\">{code}</tpl:loop>");
    Value* row = data->find(u"list.001");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->size(), 1);
    EXPECT_FALSE(row->exists(u"NAME"));
    EXPECT_FALSE(row->exists(u"ROWID"));
}

TEST_F(TemplateLoopTest, RowsKeepTheirOwnNameAndRowIdEntries)
{
    set("list.001.NAME", "own name");
    set("list.001.ROWID", "own id");
    data->insert(u"list.002.NAME.deep", u"kept");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{NAME}/{ROWID};</tpl:loop>"), "001/1;002/2;");
    EXPECT_EQ(data->getAt(u"list.001.NAME"), u"own name");
    EXPECT_EQ(data->getAt(u"list.001.ROWID"), u"own id");
    EXPECT_EQ(data->getAt(u"list.002.NAME.deep"), u"kept");
    EXPECT_FALSE(data->exists(u"list.002.ROWID"));
}

TEST_F(TemplateLoopTest, NestedLoops)
{
    set("groups.g1.items.x", "1");
    set("groups.g1.items.y", "2");
    set("groups.g2.items.z", "3");
    EXPECT_EQ(renderText("<tpl:loop name=\"groups\">{NAME}(<tpl:loop name=\"items\" rowid=\"i\">{i}{NAME}{VALUE}</tpl:loop>)"
                         "</tpl:loop>"),
              "g1(1x12y2)g2(1z3)");
}

TEST_F(TemplateLoopTest, SameRowsInAnInnerLoopAreRestoredInOrder)
{
    rows(2);
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{ROWID}<tpl:loop name=\"TOP.list\" base=\"5\">{ROWID}</tpl:loop>{ROWID};"
                         "</tpl:loop>"),
              "1561;2562;");
    EXPECT_FALSE(data->exists(u"list.001.ROWID"));
}

TEST_F(TemplateLoopTest, MissingOrLeafSourceWritesNothing)
{
    set("leaf", "x");
    EXPECT_EQ(renderText("a<tpl:loop name=\"missing\">x</tpl:loop>b<tpl:loop name=\"leaf\">y</tpl:loop>c"), "abc");
}

TEST_F(TemplateLoopTest, LoopWithoutNameIsDropped)
{
    EXPECT_EQ(renderText("a<tpl:loop>x"), "ax");
    EXPECT_EQ(renderText("<tpl:loop name=\"l\"/>"), "<failed>");
}

TEST_F(TemplateLoopTest, EmptyMapRowsAreRows)
{
    data->insert(u"list.a");
    data->insert(u"list.b");
    EXPECT_EQ(renderText("<tpl:loop name=\"list\">{NAME}{ROWID}</tpl:loop>"), "a1b2");
}

} // namespace
