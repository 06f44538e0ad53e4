// Reference counting: IObject's count and its Release rule. Ref and Array
// hold objects throughout the other tests, which the sanitizer run checks
// for leaks.

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace tessel;

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
