#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "tessel/core/Rc6.h"

using namespace tessel;
using codec_test::bytes;
using codec_test::hex;

namespace {

std::string encryptHex(const std::string& key, const std::string& plain)
{
    Rc6 cipher;
    auto k = bytes(key);
    auto in = bytes(plain);
    unsigned char out[16];
    if (!cipher.setKey(k.data(), static_cast<int>(k.size())) || !cipher.encrypt(in.data(), out))
        return "failed";
    unsigned char back[16];
    cipher.decrypt(out, back);
    if (hex(back, 16) != hex(in))
        return "no round trip";
    return hex(out, 16);
}

const std::string ZERO_BLOCK = "00000000000000000000000000000000";
const std::string PLAIN = "02132435465768798a9bacbdcedfe0f1";

} // namespace

TEST(Rc6Cipher, SubmissionVectors)
{
    EXPECT_EQ(encryptHex(ZERO_BLOCK, ZERO_BLOCK), "8fc3a53656b1f778c129df4e9848a41e");
    EXPECT_EQ(encryptHex("0123456789abcdef0112233445566778", PLAIN), "524e192f4715c6231f51f6367ea43f18");
    EXPECT_EQ(encryptHex(std::string(48, '0'), ZERO_BLOCK), "6cd61bcb190b30384e8a3f168690ae82");
    EXPECT_EQ(encryptHex("0123456789abcdef0112233445566778899aabbccddeeff0", PLAIN),
              "688329d019e505041e52e92af95291d4");
    EXPECT_EQ(encryptHex(std::string(64, '0'), ZERO_BLOCK), "8f5fbd0510d15fa893fa3fda6e857ec2");
    EXPECT_EQ(encryptHex("0123456789abcdef0112233445566778899aabbccddeeff01032547698badcfe", PLAIN),
              "c8241816f0d7e48920ad16a1674e5d48");
}

TEST(Rc6Cipher, RefusesWhatItCannotUse)
{
    Rc6 cipher;
    unsigned char block[16] = {};
    EXPECT_FALSE(cipher.encrypt(block, block));
    EXPECT_FALSE(cipher.decrypt(block, block));
    EXPECT_FALSE(cipher.setKey(nullptr, 16));
    std::vector<unsigned char> key(256, 1);
    EXPECT_FALSE(cipher.setKey(key.data(), 256));

    ASSERT_TRUE(cipher.setKey(std::vector<unsigned char>(16, 0).data(), 16));
    Rc6 copy(cipher);
    ASSERT_TRUE(copy.encrypt(block, block));
    EXPECT_EQ(hex(block, 16), "8fc3a53656b1f778c129df4e9848a41e");
    EXPECT_FALSE(cipher.setKey(key.data(), 256));
    ASSERT_TRUE(cipher.decrypt(block, block));
    EXPECT_EQ(hex(block, 16), ZERO_BLOCK);

    std::string first = cipher.crypt("password", "ab");
    EXPECT_EQ(first.size(), 2u + 22u);
    EXPECT_NE(std::string(cipher.crypt("password", "ab")), std::string(cipher.crypt("Password", "ab")));
}
