#include <gtest/gtest.h>

#include "quillot/pages/SignInThrottle.h"

using tessel::String;

namespace {

constexpr int64_t T0 = 1700000000;

class SignInThrottleTest : public ::testing::Test {
protected:
    void SetUp() override { throttle.setFailuresAllowed(3); }

    void fail(int times, int64_t at, const String& address = u"10.0.0.1", const String& user = u"shop/SYSTEM")
    {
        for (int i = 0; i < times; i++)
            throttle.recordFailure(address, user, at);
    }

    SignInThrottle throttle;
};

} // namespace

TEST_F(SignInThrottleTest, TheWaitDoublesWithEachFurtherFailureUpToAQuarterOfAnHour)
{
    fail(2, T0);
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"shop/SYSTEM", T0), 0);
    // failures -> wait after the last one
    const std::pair<int, int64_t> rows[] = {{3, 30}, {4, 60}, {5, 120}, {6, 240}, {7, 480}, {8, 900}, {12, 900}};
    int failures = 2;
    int64_t at = T0;
    for (const auto& [count, wait] : rows) {
        while (failures < count) {
            at += 1;
            fail(1, at);
            failures++;
        }
        EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"other", at), wait) << count;
        EXPECT_EQ(throttle.waitSeconds(u"10.0.0.9", u"shop/SYSTEM", at), wait) << count;
        EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"other", at + wait / 2), wait - wait / 2) << count;
    }
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.9", u"other", at), 0); // neither is the one
}

TEST_F(SignInThrottleTest, FailuresOlderThanAQuarterOfAnHourAreForgotten)
{
    fail(2, T0);
    fail(1, T0 + SignInThrottle::WINDOW_SECONDS);
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"shop/SYSTEM", T0 + SignInThrottle::WINDOW_SECONDS), 0);
    fail(2, T0 + SignInThrottle::WINDOW_SECONDS + 1);
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"shop/SYSTEM", T0 + SignInThrottle::WINDOW_SECONDS + 1), 30);
}

TEST_F(SignInThrottleTest, ASuccessClearsTheUserButNotTheAddress)
{
    fail(3, T0);
    throttle.recordSuccess(u"shop/SYSTEM");
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.2", u"shop/SYSTEM", T0), 0);
    EXPECT_EQ(throttle.waitSeconds(u"10.0.0.1", u"shop/OTHER", T0), 30);
}

TEST_F(SignInThrottleTest, ManyAddressesAndUsersAreRememberedWithinABound)
{
    for (int i = 0; i < static_cast<int>(SignInThrottle::MAX_REMEMBERED) + 50; i++) {
        String address;
        address.format(u"10.1.%d.%d", i / 256, i % 256);
        String user;
        user.format(u"shop/U%d", i);
        throttle.recordFailure(address, user, T0 + i);
    }
    // The newest are still there: two more failures make three.
    int newest = static_cast<int>(SignInThrottle::MAX_REMEMBERED) + 49;
    String last;
    last.format(u"10.1.%d.%d", newest / 256, newest % 256);
    int64_t now = T0 + newest;
    fail(2, now, last, u"shop/late");
    EXPECT_EQ(throttle.waitSeconds(last, u"x", now), 30);
}
