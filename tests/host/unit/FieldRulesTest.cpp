#include <gtest/gtest.h>

#include "Text.h"
#include "host/FieldRules.h"

using host::FieldRules;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// A data tree as a page sees it: the request sections and the signed-in
// company's session tree side by side under one root.
class FieldRulesTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new Value();
        root->insert(u"SESSION.user", u"alice");
        form = root->insert(u"FORM");
    }

    bool insert(const char16_t* name, const char16_t* value = u"v")
    {
        return FieldRules::insert(*form, String(name), String(value));
    }

    Ref<Value> root;
    Value* form = nullptr;
};

} // namespace

TEST_F(FieldRulesTree, DottedNamesBuildNestedNodes)
{
    EXPECT_TRUE(insert(u"list.001.prdnm", u"bolt"));
    EXPECT_TRUE(insert(u"list.002.prdnm", u"nut"));
    EXPECT_EQ(text(root->getAt(u"FORM.list.001.prdnm")), "bolt");
    EXPECT_EQ(text(root->getAt(u"FORM.list.002.prdnm")), "nut");
    EXPECT_EQ(form->size(), 1);
}

TEST_F(FieldRulesTree, ALaterFieldReplacesTheEarlierValue)
{
    EXPECT_TRUE(insert(u"cmd", u"list"));
    EXPECT_TRUE(insert(u"cmd", u"save"));
    EXPECT_EQ(text(root->getAt(u"FORM.cmd")), "save");
}

TEST_F(FieldRulesTree, ScopeWordsAndSectionNamesAreDroppedInAnySegment)
{
    const char16_t* attempts[] = {
        u"TOP.SESSION.user", u"PARENT.SESSION.user", u"SELF.x", u"a.TOP.b", u"a.b.PARENT",
        u"SESSION", u"SESSION.user", u"x.SESSION", u"FORM.cmd", u"GET.a", u"POST", u"a.SERVER.b",
        u"session.user", u"Top.x", u"a.form",
    };
    for (const char16_t* name : attempts)
        EXPECT_FALSE(insert(name, u"mallory")) << text(String(name));
    EXPECT_EQ(text(root->getAt(u"SESSION.user")), "alice");
    EXPECT_EQ(root->size(), 2); // still only FORM and SESSION
    EXPECT_EQ(form->size(), 0);
}

TEST_F(FieldRulesTree, EmptySegmentsAreDropped)
{
    for (const char16_t* name : {u"", u".a", u"a.", u"a..b", u"."})
        EXPECT_FALSE(insert(name)) << text(String(name));
    EXPECT_EQ(form->size(), 0);
}

TEST_F(FieldRulesTree, DepthIsLimitedToFourSegments)
{
    EXPECT_TRUE(insert(u"a.b.c.d"));
    EXPECT_FALSE(insert(u"a.b.c.d.e"));
    EXPECT_EQ(text(form->getAt(u"a.b.c.d")), "v");
    EXPECT_EQ(form->find(u"a.b.c.d.e"), nullptr);
}

TEST_F(FieldRulesTree, LengthIsLimitedTo128Units)
{
    String longest;
    for (int i = 0; i < 128; ++i)
        longest.append(u'n');
    EXPECT_TRUE(FieldRules::insert(*form, longest, String(u"v")));
    longest.append(u'n');
    EXPECT_FALSE(FieldRules::insert(*form, longest, String(u"v")));
}

TEST_F(FieldRulesTree, ControlCharactersAreDropped)
{
    EXPECT_FALSE(insert(u"a\nb"));
    EXPECT_FALSE(insert(u"a\tb"));
    EXPECT_TRUE(insert(u"\u91C7\u8D2D"));
}

TEST_F(FieldRulesTree, ANameBelowAnExistingLeafIsRefusedByTheTree)
{
    EXPECT_TRUE(insert(u"a", u"leaf"));
    EXPECT_FALSE(insert(u"a.b", u"below"));
    EXPECT_EQ(text(form->getAt(u"a")), "leaf");
}

TEST(FieldRulesNames, AcceptOrdinaryFieldNames)
{
    for (const char16_t* name : {u"cmd", u"ordid", u"list.001.qunty", u"x-y_z", u"topic", u"selfish", u"formula"})
        EXPECT_TRUE(FieldRules::isAcceptable(String(name))) << text(String(name));
}
