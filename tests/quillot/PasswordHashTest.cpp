#include <gtest/gtest.h>

#include "quillot/frame/PasswordHash.h"

using tessel::String;

TEST(PasswordHashTest, HashesAreSaltedAndPlainTextIsToldApart)
{
    String first = PasswordHash::make(u"演示demo");
    String second = PasswordHash::make(u"演示demo");
    ASSERT_TRUE(PasswordHash::isHash(first));
    EXPECT_NE(first, second); // salted
    bool plain = true;
    EXPECT_TRUE(PasswordHash::verify(first, u"演示demo", plain));
    EXPECT_FALSE(plain);
    EXPECT_FALSE(PasswordHash::verify(first, u"演示Demo", plain));
    EXPECT_FALSE(PasswordHash::verify(first, u"' OR '1'='1", plain));
    // Plain text of an older database is compared as it is, and said to be
    // plain so that sign-in rewrites it; an empty stored value never matches.
    EXPECT_TRUE(PasswordHash::verify(u"secret", u"secret", plain));
    EXPECT_TRUE(plain);
    EXPECT_FALSE(PasswordHash::verify(u"secret", u"secreT", plain));
    EXPECT_FALSE(PasswordHash::verify(u"", u"", plain));
}
