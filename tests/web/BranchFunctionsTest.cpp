#include <gtest/gtest.h>

#include "FunctionCall.h"
#include "WebTestSupport.h"

using namespace tessel;
using tessel::testing::call;
using tessel::testing::Path;

TEST(BranchFunctions, FirstOfChoosesTheFirstOfEachGroup)
{
    EXPECT_EQ(u"start", call(u"firstof", {4, 3, u"start", u"rest"}));
    EXPECT_EQ(u"rest", call(u"firstof", {5, 3, u"start", u"rest"}));
    EXPECT_EQ(u"rest", call(u"firstof", {1, 1, u"start", u"rest"})) << "divisor 1 never gives P3";
    EXPECT_EQ(u"", call(u"firstof", {5, 3, u"start"})) << "an empty P4 by default";
    EXPECT_EQ(u"<none>", call(u"firstof", {4, 0, u"start", u"rest"}));
    EXPECT_EQ(u"<none>", call(u"firstof", {4, -1, u"start", u"rest"}));
}

TEST(BranchFunctions, LastOfChoosesTheLastOfEachGroup)
{
    EXPECT_EQ(u"end", call(u"lastof", {6, 3, u"end", u"more"}));
    EXPECT_EQ(u"more", call(u"lastof", {7, 3, u"end", u"more"}));
    EXPECT_EQ(u"<none>", call(u"lastof", {6, 0, u"end", u"more"}));
}

TEST(BranchFunctions, LaterOfChoosesAllButTheFirstOfEachGroup)
{
    EXPECT_EQ(u"later", call(u"laterof", {5, 3, u"later", u"early"}));
    EXPECT_EQ(u"early", call(u"laterof", {4, 3, u"later", u"early"}));
    EXPECT_EQ(u"early", call(u"laterof", {3, 3, u"later", u"early"}));
    EXPECT_EQ(u"<none>", call(u"laterof", {5, 0, u"later", u"early"}));
}


TEST(BranchFunctions, NegativeNumbersAreNotOdd)
{
    EXPECT_EQ(u"even", call(u"oddif", {-3, u"odd", u"even"})) << "a negative remainder is not 1";
    EXPECT_EQ(u"odd", call(u"evenif", {-3, u"even", u"odd"}));
}

TEST(BranchFunctions, EqualIfComparesAsValues)
{
    EXPECT_EQ(u"same", call(u"equalif", {u"abc", u"abc", u"same", u"other"}));
    EXPECT_EQ(u"other", call(u"equalif", {u"abc", u"ABC", u"same", u"other"}));
    EXPECT_EQ(u"same", call(u"equalif", {u"0", 0, u"same", u"other"}));
    EXPECT_EQ(u"same", call(u"equalif", {5, u"5", u"same", u"other"}));
}

TEST(BranchFunctions, EmptyIfKeepsATrueText)
{
    EXPECT_EQ(u"Li", call(u"emptyif", {u"Li", u"nobody"}));
    EXPECT_EQ(u"nobody", call(u"emptyif", {u"", u"nobody"}));
    EXPECT_EQ(u"nobody", call(u"emptyif", {u"0", u"nobody"}));
    EXPECT_EQ(u"<none>", call(u"emptyif", {u"Li"}));
}


TEST(BranchFunctions, NumberIfFollowsTheTemplateNumberRule)
{
    EXPECT_EQ(u"n", call(u"numberif", {u"-12.5", u"n", u"t"}));
    EXPECT_EQ(u"n", call(u"numberif", {u"+7", u"n", u"t"}));
    EXPECT_EQ(u"t", call(u"numberif", {u".5", u"n", u"t"}));
    EXPECT_EQ(u"t", call(u"numberif", {u"1.2.3", u"n", u"t"}));
    EXPECT_EQ(u"t", call(u"numberif", {u"-", u"n", u"t"}));
    EXPECT_EQ(u"t", call(u"numberif", {u"12a", u"n", u"t"}));
    EXPECT_EQ(u"t", call(u"numberif", {u"", u"n", u"t"}));
}


TEST(BranchFunctions, TheChoiceIsEvaluatedInTheData)
{
    Ref<Value> data = new Value();
    data->insert(u"row.state", u"1");
    data->insert(u"row.name", u"Li");
    EXPECT_EQ(u"Li", call(u"first", {Path{u"row.state"}, Path{u"row.name"}, u"-"}, data));
    EXPECT_EQ(u"<none>", call(u"first", {Path{u"row.state"}, Path{u"row.missing"}, u"-"}, data))
        << "a chosen path that the data lacks writes nothing";
}

TEST(LookupFunctions, ValueOfPicksAParameterByNumber)
{
    EXPECT_EQ(u"b", call(u"valueof", {2, u"a", u"b", u"c"}));
    EXPECT_EQ(u"a", call(u"valueof", {1, u"a", u"b", u"c"}));
    EXPECT_EQ(u"<none>", call(u"valueof", {0, u"a", u"b", u"c"}));
    EXPECT_EQ(u"<none>", call(u"valueof", {4, u"a", u"b", u"c"}));
    EXPECT_EQ(u"<none>", call(u"valueof", {1}));
}

TEST(LookupFunctions, ValueIncCountsFromZero)
{
    EXPECT_EQ(u"a", call(u"valueinc", {0, u"a", u"b"}));
    EXPECT_EQ(u"b", call(u"valueinc", {1, u"a", u"b"}));
    EXPECT_EQ(u"<none>", call(u"valueinc", {2, u"a", u"b"}));
    EXPECT_EQ(u"<none>", call(u"valueinc", {-1, u"a", u"b"}));
    EXPECT_EQ(u"<none>", call(u"valueinc", {2147483647, u"a"}));
}


namespace {

class BranchFunctionsInTemplates : public tessel::testing::WebTest {};

} // namespace

TEST_F(BranchFunctionsInTemplates, RowNumbersShapeAList)
{
    set("rows.a.name", "A");
    set("rows.b.name", "B");
    set("rows.c.name", "C");
    set("rows.d.name", "D");
    EXPECT_EQ("[A,-B,C][D,", renderText("<tpl:loop name=\"rows\">{ROWID|firstof,3,'[',''}{ROWID|laterof,3,'-',''}"
                                        "{name}{ROWID|lastof,3,']',','}</tpl:loop>"));
    EXPECT_EQ("<tr class=\"odd\">*o</tr><tr class=\"even\">+e</tr><tr class=\"odd\">+o</tr><tr class=\"even\">+e</tr>",
              renderText("<tpl:loop name=\"rows\"><tr class=\"{ROWID|oddif,'odd','even'}\">{ROWID|first,'*',''}"
                         "{ROWID|later,'+',''}{ROWID|evenif,'e','o'}</tr></tpl:loop>"));
}

TEST_F(BranchFunctionsInTemplates, ChoicesByTheData)
{
    set("state", "5");
    set("user", "");
    set("qty", "12");
    set("stock", "10");
    set("flag", "1");
    EXPECT_EQ("done nobody short no n Y N",
              renderText("{state|equalif,'5','done','open'} {user|emptyif,'nobody'} {qty|moreif,stock,'short','ok'} "
                         "{qty|lessif,stock,'fits','no'} {qty|numberif,'n','t'} {flag|iif,'Y','N'} "
                         "{flag|unless,'Y','N'}"));
}

TEST_F(BranchFunctionsInTemplates, LookupsByNumber)
{
    set("stats", "1");
    set("k", "2");
    EXPECT_EQ("待审核 b []", renderText("{stats|valueinc,'草稿','待审核','已审核'} {k|valueof,'a','b'} "
                                        "[{k|valueof,'a'}]"));
}
