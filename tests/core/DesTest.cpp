#include <gtest/gtest.h>

#include <string>

#include "CodecTestSupport.h"
#include "tessel/core/Des.h"

using namespace tessel;
using codec_test::bytes;
using codec_test::hex;

namespace {

std::string encryptHex(const std::string& key, const std::string& plain)
{
    return codec_test::encryptBlockHex<Des>(key, plain);
}

// The block with only bit `bit` (0 = most significant) set.
std::string singleBit(int bit)
{
    unsigned char block[8] = {};
    block[bit / 8] = static_cast<unsigned char>(0x80 >> (bit % 8));
    return hex(block, 8);
}

} // namespace

TEST(DesCipher, ClassicKnownAnswers)
{
    EXPECT_EQ(encryptHex("133457799bbcdff1", "0123456789abcdef"), "85e813540f0ab405");
    // The ECB example of FIPS 81: "Now is the time for all ".
    EXPECT_EQ(encryptHex("0123456789abcdef", "4e6f772069732074"), "3fa40e8a984d4815");
    EXPECT_EQ(encryptHex("0123456789abcdef", "68652074696d6520"), "6a271787ab8883f9");
    EXPECT_EQ(encryptHex("0123456789abcdef", "666f7220616c6c20"), "893d51ec4b563b53");
}

TEST(DesCipher, VariablePlaintextKnownAnswers)
{
    // Key of parity bits only; the plaintext walks a single bit.
    const char* expected[64] = {
        "95f8a5e5dd31d900", "dd7f121ca5015619", "2e8653104f3834ea", "4bd388ff6cd81d4f", "20b9e767b2fb1456",
        "55579380d77138ef", "6cc5defaaf04512f", "0d9f279ba5d87260", "d9031b0271bd5a0a", "424250b37c3dd951",
        "b8061b7ecd9a21e5", "f15d0f286b65bd28", "add0cc8d6e5deba1", "e6d5f82752ad63d1", "ecbfe3bd3f591a5e",
        "f356834379d165cd", "2b9f982f20037fa9", "889de068a16f0be6", "e19e275d846a1298", "329a8ed523d71aec",
        "e7fce22557d23c97", "12a9f5817ff2d65d", "a484c3ad38dc9c19", "fbe00a8a1ef8ad72", "750d079407521363",
        "64feed9c724c2faf", "f02b263b328e2b60", "9d64555a9a10b852", "d106ff0bed5255d7", "e1652c6b138c64a5",
        "e428581186ec8f46", "aeb5f5ede22d1a36", "e943d7568aec0c5c", "df98c8276f54b04b", "b160e4680f6c696f",
        "fa0752b07d9c4ab8", "ca3a2b036dbc8502", "5e0905517bb59bcf", "814eeb3b91d90726", "4d49db1532919c9f",
        "25eb5fc3f8cf0621", "ab6a20c0620d1c6f", "79e90dbc98f92cca", "866ecedd8072bb0e", "8b54536f2f3e64a8",
        "ea51d3975595b86b", "caffc6ac4542de31", "8dd45a2ddf90796c", "1029d55e880ec2d0", "5d86cb23639dbea9",
        "1d1ca853ae7c0c5f", "ce332329248f3228", "8405d1abe24fb942", "e643d78090ca4207", "48221b9937748a23",
        "dd7c0bbd61fafd54", "2fbc291a570db5c4", "e07c30d7e4e26e12", "0953e2258e8e90a1", "5b711bc4ceebf2ee",
        "cc083f1e6d9e85f6", "d2fd8867d50d2dfe", "06e7ea22ce92708f", "166b40b44aba4bd6",
    };
    for (int bit = 0; bit < 64; bit++)
        EXPECT_EQ(encryptHex("0101010101010101", singleBit(bit)), expected[bit]) << bit;
}

TEST(DesCipher, VariableKeyKnownAnswers)
{
    // Plaintext zero; the key walks a single bit over the 56 key bits
    // (parity bits stay set).
    const char* expected[56] = {
        "95a8d72813daa94d", "0eec1487dd8c26d5", "7ad16ffb79c45926", "d3746294ca6a6cf3", "809f5f873c1fd761",
        "c02faffec989d1fc", "4615aa1d33e72f10", "2055123350c00858", "df3b99d6577397c8", "31fe17369b5288c9",
        "dfdd3cc64dae1642", "178c83ce2b399d94", "50f636324a9b7f80", "a8468ee3bc18f06d", "a2dc9e92fd3cde92",
        "cac09f797d031287", "90ba680b22aeb525", "ce7a24f350e280b6", "882bff0aa01a0b87", "25610288924511c2",
        "c71516c29c75d170", "5199c29a52c9f059", "c22f0a294a71f29f", "ee371483714c02ea", "a81fbd448f9e522f",
        "4f644c92e192dfed", "1afa9a66a6df92ae", "b3c1cc715cb879d8", "19d032e64ab0bd8b", "3cfaa7a7dc8720dc",
        "b7265f7f447ac6f3", "9db73b3c0d163f54", "8181b65babf4a975", "93c9b64042eaa240", "5570530829705592",
        "8638809e878787a0", "41b9a79af79ac208", "7a9be42f2009a892", "29038d56ba6d2745", "5495c6abf1e5df51",
        "ae13dbd561488933", "024d1ffa8904e389", "d1399712f99bf02e", "14c1d7c1cffec79e", "1de5279dae3bed6f",
        "e941a33f85501303", "da99dbbc9a03f379", "b7fc92f91d8e92e9", "ae8e5caa3ca04e85", "9cc62df43b6eed74",
        "d863dbb5c59a91a0", "a1ab2190545b91d7", "0875041e64c570f7", "5a594528bebef1cc", "fcdb3291de21f0c0",
        "869efd7f9f265a09",
    };
    for (int i = 0; i < 56; i++) {
        int bit = i / 7 * 8 + i % 7;
        unsigned char key[8];
        for (auto& b : key)
            b = 0x01;
        key[bit / 8] |= static_cast<unsigned char>(0x80 >> (bit % 8));
        EXPECT_EQ(encryptHex(hex(key, 8), "0000000000000000"), expected[i]) << i;
    }
}

TEST(DesCipher, ParityBitsDoNotMatter)
{
    EXPECT_EQ(encryptHex("0000000000000000", "8000000000000000"), "95f8a5e5dd31d900");
    EXPECT_EQ(encryptHex("0123456789abcdef", "4e6f772069732074"), encryptHex("0022446688aaccee", "4e6f772069732074"));
}

TEST(DesCipher, RefusesWhatItCannotUse)
{
    Des cipher;
    unsigned char block[8] = {};
    EXPECT_FALSE(cipher.encrypt(block, block));
    EXPECT_FALSE(cipher.setKey(bytes("01020304050607").data(), 7));
    EXPECT_FALSE(cipher.setKey(bytes("010203040506070809").data(), 9));
    EXPECT_FALSE(cipher.setKey(nullptr, 8));
    EXPECT_TRUE(cipher.setKey(reinterpret_cast<const unsigned char*>("8 chars!"), 0));

    ASSERT_TRUE(cipher.setKey(bytes("133457799bbcdff1").data(), 8));
    auto plain = bytes("0123456789abcdef");
    unsigned char inPlace[8];
    std::copy(plain.begin(), plain.end(), inPlace);
    ASSERT_TRUE(cipher.encrypt(inPlace, inPlace));
    EXPECT_EQ(hex(inPlace, 8), "85e813540f0ab405");
    Des copy(cipher);
    ASSERT_TRUE(copy.decrypt(inPlace, inPlace));
    EXPECT_EQ(hex(inPlace, 8), "0123456789abcdef");
}
