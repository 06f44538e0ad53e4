#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CodecTestSupport.h"
#include "tessel/core/Rc4.h"

using namespace tessel;
using codec_test::bytes;
using codec_test::hex;

namespace {

// The key stream from `offset` on, 32 bytes: what a stream of zeros
// encrypts to.
std::string keyStream(const std::string& key, int offset)
{
    Rc4 cipher;
    auto k = bytes(key);
    if (!cipher.setKey(k.data(), static_cast<int>(k.size())))
        return "failed";
    std::vector<unsigned char> data(static_cast<size_t>(offset) + 32, 0);
    cipher.process(data.data(), data.data(), static_cast<int>(data.size()));
    return hex(data.data() + offset, 32);
}

} // namespace

TEST(Rc4Cipher, KeyStreamVectors)
{
    // 40-bit key.
    EXPECT_EQ(keyStream("0102030405", 0), "b2396305f03dc027ccc3524a0a1118a86982944f18fc82d589c403a47a0d0919");
    EXPECT_EQ(keyStream("0102030405", 240), "28cb1132c96ce286421dcaadb8b69eae1cfcf62b03eddb641d77dfcf7f8d8c93");
    EXPECT_EQ(keyStream("0102030405", 496), "42b7d0cdd918a8a33dd51781c81f40416459844432a7da923cfb3eb4980661f6");
    EXPECT_EQ(keyStream("0102030405", 4080), "068326a2118416d21f9d04b2cd1ca050ff25b58995996707e51fbdf08b34d875");
    // 64-bit and 128-bit keys.
    EXPECT_EQ(keyStream("0102030405060708", 0), "97ab8a1bf0afb96132f2f67258da15a88263efdb45c4a18684ef87e6b19e5b09");
    EXPECT_EQ(keyStream("0102030405060708090a0b0c0d0e0f10", 0),
              "9ac7cc9a609d1ef7b2932899cde41b975248c4959014126a6e8a84f11d1a9e1c");
}

TEST(Rc4Cipher, RefusesWhatItCannotUse)
{
    Rc4 cipher;
    unsigned char byte = 0;
    EXPECT_FALSE(cipher.encrypt(&byte, &byte));
    EXPECT_FALSE(cipher.setKey(nullptr, 4));
    EXPECT_FALSE(cipher.setKey(reinterpret_cast<const unsigned char*>(""), 0));
    std::vector<unsigned char> key(257, 7);
    EXPECT_FALSE(cipher.setKey(key.data(), 257));
    EXPECT_TRUE(cipher.setKey(key.data(), 256));
    EXPECT_FALSE(cipher.encrypt(nullptr, &byte));

    // A copy continues the same stream.
    Rc4 copy(cipher);
    unsigned char a = 0, b = 0;
    cipher.encrypt(&a, &a);
    copy.encrypt(&b, &b);
    EXPECT_EQ(a, b);

    std::string first = cipher.crypt("password", "ab");
    EXPECT_EQ(first.substr(0, 2), "ab");
    EXPECT_NE(std::string(cipher.crypt("password", "ba")).substr(2), first.substr(2));
}
