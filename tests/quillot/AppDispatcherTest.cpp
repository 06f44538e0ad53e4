#include <gtest/gtest.h>

#include "quillot/frame/AppDispatcher.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/PageAction.h"
#include "support/ActionBinding.h"
#include "tessel/tessel.h"

using namespace tessel;

namespace {

class DispatcherTest : public ::testing::Test {
protected:
    void TearDown() override { HttpSession::gc(true); }

    Ref<PageAction> dispatch(const String& page)
    {
        Ref<HttpAction> action;
        EXPECT_TRUE(dispatcher.dispatch(page, action.out()));
        return dynamic_cast<PageAction*>(action.get());
    }

    // An action bound as the host binds it, to the visitor's request, with
    // the host's "FORM" section holding what was sent.
    Ref<PageAction> prepared(const String& pageId)
    {
        Ref<PageAction> action = dispatch(pageId);
        binding.bind(*action, nullptr, pageId);
        binding.send(*action, {{u"s1", u"0"}, {u"days", u"7"}});
        dispatcher.initAction(*action);
        return action;
    }

    AppDispatcher dispatcher;
    tessel::testing::ActionBinding binding;
};

} // namespace

TEST_F(DispatcherTest, RightsAndPreparedPagesFollowTheSignedInCompany)
{
    EXPECT_FALSE(dispatcher.checkRight(binding.request));
    Ref<PageAction> signedOut = prepared(u"notice");
    EXPECT_EQ(signedOut->company(), nullptr);
    EXPECT_FALSE(signedOut->getValue()->exists(u"SESSION"));
    EXPECT_EQ(signedOut->getValue()->getAt(u"FORM.s1"), u"0");

    Ref<Value> company = new Value();
    company->insert(u"company", u"示例贸易");
    company->insert(u"notice.s1", u"1");
    company->insert(u"notice.s2", u"1");
    binding.request.getSession().setAttribute(u"company", company);
    EXPECT_TRUE(dispatcher.checkRight(binding.request));

    Ref<PageAction> action = prepared(u"notice");
    Value* data = action->getValue();
    EXPECT_EQ(action->company(), company.get());
    EXPECT_EQ(data->getAt(u"SESSION.company"), u"示例贸易");
    EXPECT_EQ(data->getAt(u"FORM.s1"), u"1"); // the remembered value wins
    EXPECT_EQ(data->getAt(u"FORM.s2"), u"1");
    EXPECT_EQ(data->getAt(u"FORM.days"), u"7");

    // The page's copy is its own: changing it leaves the session alone.
    data->insert(u"SESSION.company", u"changed");
    EXPECT_EQ(company->getAt(u"company"), u"示例贸易");

    Ref<PageAction> other = prepared(u"sales");
    EXPECT_EQ(other->getValue()->getAt(u"FORM.s1"), u"0");
}

TEST_F(DispatcherTest, OffersStateofOnlyByItsExactName)
{
    HttpFunction* function = nullptr;
    EXPECT_FALSE(dispatcher.createFunction(u"StateOf", &function));
    EXPECT_FALSE(dispatcher.createFunction(u"format", &function));
    EXPECT_EQ(function, nullptr);

    const struct {
        int state;
        const char16_t* word;
    } cases[] = {{6, u"redink"}, {5, u"rubric"}, {4, u"finish"}, {3, u"normal"}, {0, u"normal"}};
    for (const auto& c : cases) {
        Ref<HttpFunction> stateof;
        ASSERT_TRUE(dispatcher.createFunction(u"stateof", stateof.out()));
        stateof->addParam(Ref<AnyValue>(new AnyValue(c.state)));
        AnyValue value;
        value = stateof.get();
        EXPECT_EQ(*value.getString(nullptr), c.word) << c.state;
    }
    int interval = 0;
    EXPECT_TRUE(dispatcher.onTimer(interval));
    EXPECT_EQ(interval, 60000);
}

TEST(ApplicationTest, VersionComesFromTheBuildDate)
{
    const struct {
        const char* date;
        int version;
    } cases[] = {{"Jun 30 2011", 20110630}, {"Dec  6 2026", 20261206}, {"Foo 30 2011", 0}, {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Application::versionOf(c.date), c.version) << c.date;
    EXPECT_GE(Application::version(), 20260101);
}
