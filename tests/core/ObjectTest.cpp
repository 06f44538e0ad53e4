// Reference counting: IObject's count and Release rule, the Ref holder,
// and Array's references to its elements and its growth.

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace tessel;
using testing_support::joined;

namespace {

// Counts its destructions so that the tests can see when it goes.
class Tracked : public IObject {
public:
    explicit Tracked(int* destroyed) : destroyed_(destroyed) {}
    ~Tracked() override { ++*destroyed_; }

private:
    int* destroyed_;
};

} // namespace

TEST(ObjectCounting, ReleaseDeletesFromOneAndLeavesZeroAlone)
{
    int destroyed = 0;
    {
        Tracked onStack(&destroyed);
        EXPECT_EQ(onStack.refCount(), 0u);
        Tracked copy(onStack);
        EXPECT_EQ(copy.refCount(), 0u) << "a copy is a new object";
    }
    EXPECT_EQ(destroyed, 2);

    auto* unreferenced = new Tracked(&destroyed);
    EXPECT_EQ(unreferenced->Release(), 0u);
    EXPECT_EQ(destroyed, 2) << "a count of 0 is never deleted by Release";
    delete unreferenced;
    EXPECT_EQ(destroyed, 3);

    auto* object = new Tracked(&destroyed);
    EXPECT_EQ(object->AddRef(), 1u);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(destroyed, 4);
}

TEST(ObjectArray, CapacityStartsAt32AndDoubles)
{
    Array<int> numbers;
    EXPECT_EQ(numbers.capacity(), 0);
    numbers.add(1);
    EXPECT_EQ(numbers.capacity(), 32);
    for (int i = 1; i < 33; i++)
        numbers.add(i);
    EXPECT_EQ(numbers.capacity(), 64);
    for (int i = 33; i < 65; i++)
        numbers.add(i);
    EXPECT_EQ(numbers.capacity(), 128);
    EXPECT_EQ(numbers[64], 64);
    EXPECT_EQ(numbers[65], 0);
    EXPECT_EQ(Array<int>(5).capacity(), 32);
    EXPECT_EQ(Array<int>(100).capacity(), 100);

    Array<int> unsorted;
    for (int n : {5, 3, 9, 1})
        unsorted.add(n);
    unsorted.sort();
    EXPECT_EQ(unsorted[0], 1);
    EXPECT_EQ(unsorted[3], 9);

    Array<String> texts;
    for (const char16_t* text : {u"b", u"B", u"a10", u"a9"})
        texts.add(new String(text));
    texts.sort();
    EXPECT_EQ(joined(texts), u"B|a10|a9|b");
    texts.clear();
    EXPECT_TRUE(texts.empty());
}
