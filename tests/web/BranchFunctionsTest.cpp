#include <gtest/gtest.h>

#include "FunctionCall.h"

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

TEST(BranchFunctions, FirstAndLaterTestTheRowNumber)
{
    EXPECT_EQ(u"yes", call(u"first", {1, u"yes", u"no"}));
    EXPECT_EQ(u"no", call(u"first", {2, u"yes", u"no"}));
    EXPECT_EQ(u"", call(u"first", {2, u"yes"}));
    EXPECT_EQ(u"yes", call(u"later", {2, u"yes", u"no"}));
    EXPECT_EQ(u"no", call(u"later", {1, u"yes", u"no"}));
}

TEST(BranchFunctions, EvenAndOdd)
{
    EXPECT_EQ(u"even", call(u"evenif", {4, u"even", u"odd"}));
    EXPECT_EQ(u"odd", call(u"evenif", {3, u"even", u"odd"}));
    EXPECT_EQ(u"odd", call(u"oddif", {3, u"odd", u"even"}));
    EXPECT_EQ(u"even", call(u"oddif", {-3, u"odd", u"even"})) << "a negative remainder is not 1";
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

TEST(BranchFunctions, MoreAndLessCompareNumbers)
{
    EXPECT_EQ(u"more", call(u"moreif", {u"10", u"9", u"more", u"not"}));
    EXPECT_EQ(u"not", call(u"moreif", {9, 9, u"more", u"not"}));
    EXPECT_EQ(u"less", call(u"lessif", {1.5, 2, u"less", u"not"}));
    EXPECT_EQ(u"not", call(u"lessif", {2, 2, u"less", u"not"}));
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

TEST(BranchFunctions, IifAndUnlessFollowTheValuesTruth)
{
    EXPECT_EQ(u"on", call(u"iif", {u"yes", u"on", u"off"}));
    EXPECT_EQ(u"off", call(u"iif", {u"", u"on", u"off"}));
    EXPECT_EQ(u"on", call(u"iif", {true, u"on", u"off"}));
    EXPECT_EQ(u"off", call(u"unless", {u"yes", u"on", u"off"}));
    EXPECT_EQ(u"on", call(u"unless", {false, u"on", u"off"}));
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

TEST(LookupFunctions, StateNamesFromAList)
{
    Ref<Value> data = new Value();
    data->insert(u"stats", u"2");
    EXPECT_EQ(u"已审核", call(u"valueinc", {Path{u"stats"}, u"草稿", u"待审核", u"已审核"}, data));
}
