// tpl:loop over map rows and leaf rows, with row numbers, base and size.
#include "WebTestSupport.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TemplateLoopTest : public WebTest {};

TEST_F(TemplateLoopTest, RowsScopesNumbersBaseAndSize)
{
    for (int i = 1; i <= 3; i++)
        set("list.00" + std::to_string(i) + ".code", "c" + std::to_string(i));
    for (auto [path, value] : {std::pair{"title", "T"},
                               {"FORM.cmd", "list"},
                               {"colors.b", "blue"},
                               {"colors.a", "amber"},
                               {"items.ROWID", "skip"},
                               {"items.NAME", "skip"},
                               {"items.a", "A"},
                               {"items.b", "B"},
                               {"groups.g1.items.x", "1"},
                               {"groups.g1.items.y", "2"},
                               {"groups.g2.items.z", "3"},
                               {"leaf", "x"}})
        set(path, value);
    data->insert(u"empty.a");
    data->insert(u"empty.b");
    const char* rows[][2] = {
        {"<tpl:loop name=\"list\">{ROWID}:{NAME}={code};</tpl:loop>", "1:001=c1;2:002=c2;3:003=c3;"},
        {"<tpl:loop name=\"list\">{TOP.title}{PARENT.PARENT.title}{FORM.cmd}</tpl:loop>", "TTlistTTlistTTlist"},
        {"<tpl:loop name=\"colors\">{ROWID}.{NAME}={VALUE}{title};</tpl:loop>", "1.a=amber;2.b=blue;"},
        {"<tpl:loop name=\"list\" size=\"2\">{code}</tpl:loop>", "c1c2"},
        {"<tpl:loop name=\"list\" size=\"0\">{code}</tpl:loop>", "c1c2c3"},
        {"<tpl:loop name=\"list\" size=\"-1\">{code}</tpl:loop>", "c1c2c3"},
        {"<tpl:loop name=\"list\" base=\"0\">{ROWID}</tpl:loop>", "012"},
        {"<tpl:loop name=\"list\" base=\"10\" rowid=\"n\">{n}</tpl:loop>", "101112"},
        {"<tpl:loop name=\"items\" size=\"2\">{ROWID}{VALUE}</tpl:loop>", "1A2B"}, // leaves named ROWID, NAME skipped
        {"<tpl:loop name=\"list\"><tpl:if opcode=\"first\">[<tpl:else>,</tpl:if>{code}</tpl:loop>]", "[c1,c2,c3]"},
        {"<tpl:loop name=\"list\">{code}<tpl:if opcode=\"lastof\" value=\"2\">|</tpl:if></tpl:loop>", "c1c2|c3"},
        {"<tpl:loop name=\"groups\">{NAME}(<tpl:loop name=\"items\" rowid=\"i\">{i}{NAME}{VALUE}</tpl:loop>)</tpl:loop>",
         "g1(1x12y2)g2(1z3)"},
        {"<tpl:loop name=\"list\">{ROWID}<tpl:loop name=\"TOP.list\" base=\"5\">{ROWID}</tpl:loop>{ROWID};</tpl:loop>",
         "15671;25672;35673;"}, // the same rows in an inner loop are restored in order
        {"a<tpl:loop name=\"missing\">x</tpl:loop>b<tpl:loop name=\"leaf\">y</tpl:loop>c", "abc"},
        {"<tpl:loop name=\"empty\">{NAME}{ROWID}</tpl:loop>", "a1b2"},
        {"a<tpl:loop>x", "ax"},
        {"<tpl:loop name=\"l\"/>", "<failed>"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(row[0]), row[1]) << row[0];
    Value* row = data->find(u"list.001");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->size(), 1) << "the inserted entries are removed afterwards";
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

TEST_F(TemplateLoopTest, RowNumbersUnderOtherKeysAreRemovedAfterwards)
{
    set("list.001.code", "c1");
    set("list.002.code", "c2");
    set("list.003.code", "c3");
    set("list.003.i", "own i");
    const char* const rows[][2] = {
        {"<tpl:loop name=\"list\" rowid=\"i\">{i};</tpl:loop>", "1;2;3;"},
        {"<tpl:loop name=\"list\" rowid=\"a.b\">{a.b};</tpl:loop>", "1;2;3;"},
        {"<tpl:loop name=\"list\" rowid=\"NAME\">{NAME};</tpl:loop>", "1;2;3;"},
        {"<tpl:loop name=\"list\" rowid=\"\">{NAME}{ROWID};</tpl:loop>", "001;002;003;"},
    };
    for (auto& row : rows)
        EXPECT_EQ(renderText(row[0]), row[1]) << row[0];
    EXPECT_EQ(data->getAt(u"list.003.i"), u"own i");
    EXPECT_FALSE(data->exists(u"list.001.ROWID"));
    EXPECT_FALSE(data->exists(u"list.001.NAME"));
    EXPECT_FALSE(data->exists(u"list.001.i"));
    EXPECT_FALSE(data->exists(u"list.002.a.b"));
    EXPECT_EQ(data->find(u"list.003")->size(), 3) << "code, i and the map a.b left as before";
}

} // namespace
