// The template variant: conversions of every type with a data tree as the
// context, equality across types, and the references that pointer
// payloads hold.

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <vector>

#include "TestSupport.h"

using namespace tessel;
using testing_support::units;

namespace {

// A template function with a fixed result, ready or not.
class Constant : public HttpFunction {
public:
    Constant(AnyValue* result, bool ready) : result_(result), ready_(ready) {}
    bool isValid() override { return ready_; }
    void evaluate(Ref<AnyValue>& out, Value*) override { out = result_; }

private:
    Ref<AnyValue> result_;
    bool ready_;
};

class Thing : public IObject {};

std::u16string textOf(const Ref<String>& text)
{
    return text ? units(*text) : u"<empty Ref>";
}

Ref<Value> context()
{
    Ref<Value> tree(new Value());
    tree->insert(u"order.qty", u"12.75");
    tree->insert(u"order.state", u"0");
    tree->insert(u"order.name", u"采购");
    tree->insert(u"path", u"order.name");
    tree->insert(u"order.lines.001", u"x");
    return tree;
}

} // namespace

TEST(AnyValueConversion, BooleansIntegersAndDoubles)
{
    AnyValue yes(true), no(false);
    EXPECT_EQ(yes.getInt(nullptr), 1);
    EXPECT_EQ(no.getInt(nullptr), 0);
    EXPECT_TRUE(yes.getBool(nullptr));
    EXPECT_FALSE(no.getBool(nullptr));
    EXPECT_EQ(textOf(yes.getString(nullptr)), u"1");

    AnyValue zero(0), one(1), negative(-7);
    EXPECT_TRUE(zero.getBool(nullptr)) << "the integer row is true for zero";
    EXPECT_FALSE(one.getBool(nullptr));
    EXPECT_FALSE(negative.getBool(nullptr));
    EXPECT_EQ(textOf(negative.getString(nullptr)), u"-7");

    AnyValue number(-2.75), tiny(0.0000005), small(0.000002);
    EXPECT_EQ(number.getInt(nullptr), -2) << "truncated toward zero";
    EXPECT_EQ(AnyValue(1e12).getInt(nullptr), INT_MAX) << "beyond the range: its nearest end";
    EXPECT_EQ(AnyValue(std::numeric_limits<double>::quiet_NaN()).getInt(nullptr), 0);
    EXPECT_EQ(AnyValue(-2147483648.5).getInt(nullptr), INT_MIN);
    EXPECT_EQ(AnyValue(2147483646.9).getInt(nullptr), 2147483646);
    EXPECT_TRUE(AnyValue(INT_MAX).equals(AnyValue(5e9), nullptr));
    EXPECT_EQ(textOf(number.getString(nullptr)), u"-2.75");
    EXPECT_EQ(textOf(AnyValue(1.005).getString(nullptr)), u"1.00") << "two decimals";
    EXPECT_TRUE(AnyValue(0.0).getBool(nullptr)) << "the double row is true for zero";
    EXPECT_TRUE(tiny.getBool(nullptr));
    EXPECT_FALSE(small.getBool(nullptr));
}

TEST(AnyValueEquality, DecidedByThisValuesType)
{
    Ref<Value> tree = context();
    EXPECT_TRUE(AnyValue(u"abc").equals(AnyValue(u"abc"), tree));
    EXPECT_TRUE(AnyValue(u"0").equals(AnyValue(0), tree));
    EXPECT_TRUE(AnyValue(u"0").equals(AnyValue(false), tree));
    EXPECT_FALSE(AnyValue(u"0").equals(AnyValue(1), tree));
    EXPECT_TRUE(AnyValue(u"").equals(AnyValue(0.0000001), tree));
    EXPECT_TRUE(AnyValue(u" ").equals(AnyValue(u"0"), tree));
    EXPECT_TRUE(AnyValue(u"").equals(AnyValue(static_cast<String*>(nullptr)), tree));
    EXPECT_FALSE(AnyValue(u"").equals(AnyValue(u"00"), tree));
    EXPECT_FALSE(AnyValue(u"x").equals(AnyValue(static_cast<String*>(nullptr)), tree))
        << "a missing text counts as empty";
    EXPECT_TRUE(AnyValue(u"12").equals(AnyValue(12), tree)) << "true-like text against the other's text";
    EXPECT_FALSE(AnyValue(u"12.0").equals(AnyValue(12.0), tree)) << "12.0 is written 12.00";

    EXPECT_TRUE(AnyValue(true).equals(AnyValue(u"yes"), tree));
    EXPECT_TRUE(AnyValue(false).equals(AnyValue(1), tree)) << "1 reads as false in the integer row";
    EXPECT_TRUE(AnyValue(12).equals(AnyValue(u" 12 apples"), tree));
    EXPECT_TRUE(AnyValue(12).equals(AnyValue(12.9), tree));
    EXPECT_TRUE(AnyValue(12.75).equals(AnyValue(12.7500004), tree));
    EXPECT_FALSE(AnyValue(12.75).equals(AnyValue(12.751), tree));

    Ref<Thing> thing(new Thing());
    AnyValue a, b, other;
    a = static_cast<IObject*>(thing.get());
    b = static_cast<IObject*>(thing.get());
    other = static_cast<IObject*>(new Thing());
    EXPECT_TRUE(a.equals(b, tree));
    EXPECT_FALSE(a.equals(other, tree));
    EXPECT_FALSE(a.equals(AnyValue(u"object"), tree));

    AnyValue qty(u"order.qty"), name(u"order.name"), missing(u"order.missing");
    qty.setVariant();
    name.setVariant();
    missing.setVariant();
    EXPECT_TRUE(qty.equals(AnyValue(u"12.75"), tree));
    EXPECT_TRUE(name.equals(AnyValue(u"采购"), tree));
    EXPECT_TRUE(missing.equals(AnyValue(false), tree));
    EXPECT_TRUE(AnyValue(12.75).equals(qty, tree));

    Ref<AnyValue> result(new AnyValue(u"采购"));
    AnyValue call;
    call = static_cast<HttpFunction*>(new Constant(result, true));
    EXPECT_TRUE(call.equals(name, tree));
}

TEST(AnyValueConversion, ReadingInPlaceGivesTheTextOfGetString)
{
    Ref<Value> tree = context();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<Ref<AnyValue>> values = {new AnyValue(true), new AnyValue(false), new AnyValue(0), new AnyValue(-7),
                                         new AnyValue(INT_MIN), new AnyValue(INT_MAX), new AnyValue(u"text"),
                                         new AnyValue(u""), new AnyValue(static_cast<String*>(nullptr)),
                                         // Halves that lie just below or above in binary, signs, sizes.
                                         new AnyValue(0.125), new AnyValue(2.675), new AnyValue(1.005),
                                         new AnyValue(-0.001), new AnyValue(-0.0), new AnyValue(0.0),
                                         new AnyValue(1e21), new AnyValue(-1e300), new AnyValue(123456789.995),
                                         new AnyValue(5e-324), new AnyValue(inf), new AnyValue(-inf),
                                         new AnyValue(std::numeric_limits<double>::quiet_NaN())};
    for (const char16_t* path : {u"order.qty", u"order.name", u"order.missing", u"order.lines"}) {
        Ref<AnyValue> variable = new AnyValue(path);
        variable->setVariant();
        values.push_back(variable);
    }
    Ref<Thing> thing = new Thing();
    Ref<AnyValue> object = new AnyValue();
    *object = static_cast<IObject*>(thing.get());
    values.push_back(object);
    for (size_t i = 0, count = values.size(); i < count; i++) {
        Ref<AnyValue> call = new AnyValue();
        *call = static_cast<HttpFunction*>(new Constant(values[i], true));
        values.push_back(call);
    }
    Ref<AnyValue> unready = new AnyValue();
    *unready = static_cast<HttpFunction*>(new Constant(values[0], false));
    values.push_back(unready);

    for (size_t i = 0; i < values.size(); i++) {
        AnyValue::Text holder;
        const String* read = values[i]->read(tree, holder);
        Ref<String> expected = values[i]->getString(tree);
        ASSERT_EQ(read != nullptr, expected != nullptr) << "value " << i;
        if (expected) {
            EXPECT_EQ(units(*read), units(*expected)) << "value " << i;
        }
    }
}
