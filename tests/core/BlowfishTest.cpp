#include <gtest/gtest.h>

#include <string>

#include "CodecTestSupport.h"
#include "tessel/core/Blowfish.h"

using namespace tessel;
using codec_test::bytes;
using codec_test::hex;

namespace {

std::string encryptHex(const std::string& key, const std::string& plain)
{
    return codec_test::encryptBlockHex<Blowfish>(key, plain);
}

} // namespace

TEST(BlowfishCipher, EcbKnownAnswers)
{
    // key, plaintext, ciphertext
    const char* vectors[][3] = {
        {"0000000000000000", "0000000000000000", "4ef997456198dd78"},
        {"ffffffffffffffff", "ffffffffffffffff", "51866fd5b85ecb8a"},
        {"3000000000000000", "1000000000000001", "7d856f9a613063f2"},
        {"1111111111111111", "1111111111111111", "2466dd878b963c9d"},
        {"0123456789abcdef", "1111111111111111", "61f9c3802281b096"},
        {"1111111111111111", "0123456789abcdef", "7d0cc630afda1ec7"},
        {"fedcba9876543210", "0123456789abcdef", "0aceab0fc6a0a28d"},
        {"7ca110454a1a6e57", "01a1d6d039776742", "59c68245eb05282b"},
        {"0131d9619dc1376e", "5cd54ca83def57da", "b1b8cc0b250f09a0"},
        {"07a1133e4a0b2686", "0248d43806f67172", "1730e5778bea1da4"},
        {"3849674c2602319e", "51454b582ddf440a", "a25e7856cf2651eb"},
        {"04b915ba43feb5b6", "42fd443059577fa2", "353882b109ce8f1a"},
        {"0113b970fd34f2ce", "059b5e0851cf143a", "48f4d0884c379918"},
        {"0170f175468fb5e6", "0756d8e0774761d2", "432193b78951fc98"},
        {"43297fad38e373fe", "762514b829bf486a", "13f04154d69d1ae5"},
        {"07a7137045da2a16", "3bdd119049372802", "2eedda93ffd39c79"},
        {"04689104c2fd3b2f", "26955f6835af609a", "d887e0393c2da6e3"},
        {"37d06bb516cb7546", "164d5e404f275232", "5f99d04f5b163969"},
        {"1f08260d1ac2465e", "6b056e18759f5cca", "4a057a3b24d3977b"},
        {"584023641aba6176", "004bd6ef09176062", "452031c1e4fada8e"},
        {"025816164629b007", "480d39006ee762f2", "7555ae39f59b87bd"},
        {"49793ebc79b3258f", "437540c8698f3cfa", "53c55f9cb49fc019"},
        {"4fb05e1515ab73a7", "072d43a077075292", "7a8e7bfa937e89a3"},
        {"49e95d6d4ca229bf", "02fe55778117f12a", "cf9c5d7a4986adb5"},
        {"018310dc409b26d6", "1d9d5c5018f728c2", "d1abb290658bc778"},
        {"1c587f1c13924fef", "305532286d6f295a", "55cb3774d13ef201"},
        {"0101010101010101", "0123456789abcdef", "fa34ec4847b268b2"},
        {"1f1f1f1f0e0e0e0e", "0123456789abcdef", "a790795108ea3cae"},
        {"e0fee0fef1fef1fe", "0123456789abcdef", "c39e072d9fac631d"},
        {"0000000000000000", "ffffffffffffffff", "014933e0cdaff6e4"},
        {"ffffffffffffffff", "0000000000000000", "f21e9a77b71c49bc"},
        {"0123456789abcdef", "0000000000000000", "245946885754369a"},
        {"fedcba9876543210", "ffffffffffffffff", "6b5c5a9c5d9e0a5a"},
    };
    for (auto& v : vectors)
        EXPECT_EQ(encryptHex(v[0], v[1]), v[2]) << v[0] << " " << v[1];
}

TEST(BlowfishCipher, VariableKeyLengths)
{
    // Keys of 1 to 24 bytes cut from one long key, same plaintext.
    const std::string key = "f0e1d2c3b4a5968778695a4b3c2d1e0f0011223344556677";
    const char* expected[] = {
        "f9ad597c49db005e", "e91d21c1d961a6d6", "e9c2b70a1bc65cf3", "be1e639408640f05", "b39e44481bdb1e6e",
        "9457aa83b1928c0d", "8bb77032f960629d", "e87a244e2cc85e82", "15750e7a4f4ec577", "122ba70b3ab64ae0",
        "3a833c9affc537f6", "9409da87a90f6bf2", "884f80625060b8b4", "1f85031c19e11968", "79d9373a714ca34f",
        "93142887ee3be15c", "03429e838ce2d14b", "a4299e27469ff67b", "afd5aed1c1bc96a8", "10851c0e3858da9f",
        "e6f51ed79b9db21f", "64a6e14afd36b46f", "80c7d7d45a5479ad", "05044b62fa52d080",
    };
    for (int length = 1; length <= 24; length++)
        EXPECT_EQ(encryptHex(key.substr(0, 2 * length), "fedcba9876543210"), expected[length - 1]) << length;
}

TEST(BlowfishCipher, TextKeys)
{
    Blowfish cipher;
    unsigned char out[8];
    ASSERT_TRUE(cipher.setKey(reinterpret_cast<const unsigned char*>("abcdefghijklmnopqrstuvwxyz"), 0));
    ASSERT_TRUE(cipher.encrypt(reinterpret_cast<const unsigned char*>("BLOWFISH"), out));
    EXPECT_EQ(hex(out, 8), "324ed0fef413a203");

    ASSERT_TRUE(cipher.setKey(reinterpret_cast<const unsigned char*>("Who is John Galt?"), 0));
    auto plain = bytes("fedcba9876543210");
    ASSERT_TRUE(cipher.encrypt(plain.data(), out));
    EXPECT_EQ(hex(out, 8), "cc91732b8022f684");
}

TEST(BlowfishCipher, RefusesWhatItCannotUse)
{
    Blowfish cipher;
    unsigned char block[8] = {};
    EXPECT_FALSE(cipher.encrypt(block, block));
    EXPECT_FALSE(cipher.decrypt(block, block));
    EXPECT_FALSE(cipher.setKey(nullptr, 8));
    EXPECT_FALSE(cipher.setKey(reinterpret_cast<const unsigned char*>(""), 0));
    std::vector<unsigned char> tooLong(57, 1);
    EXPECT_FALSE(cipher.setKey(tooLong.data(), 57));
    EXPECT_TRUE(cipher.setKey(tooLong.data(), 56));
    EXPECT_FALSE(cipher.encrypt(nullptr, block));

    // A copy carries the key schedule.
    ASSERT_TRUE(cipher.setKey(bytes("0123456789abcdef").data(), 8));
    Blowfish copy(cipher);
    EXPECT_EQ(copy.refCount(), 0u);
    unsigned char out[8];
    ASSERT_TRUE(copy.encrypt(block, out));
    EXPECT_EQ(hex(out, 8), "245946885754369a");
}
