#include <gtest/gtest.h>
#include "tessel/tessel.h"
using namespace tessel;
TEST(Smoke, Hash) {
    EXPECT_EQ(String().hashCode(), 12345u);
    EXPECT_EQ(String(u"abc").hashCode(), 3257249267u);
    String s; s.format(u"%d-%s", 7, u"text");
    EXPECT_EQ(s, u"7-text");
}
