#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "CodecTestSupport.h"
#include "tessel/core/Md5.h"
#include "tessel/core/Sha1.h"

using namespace tessel;
using codec_test::bytes;
using codec_test::hex;

namespace {

template <class Digest>
std::string digestOf(const std::string& message, int pieceSize = 0)
{
    Digest digest;
    auto data = reinterpret_cast<const unsigned char*>(message.data());
    int length = static_cast<int>(message.size());
    int step = pieceSize > 0 ? pieceSize : (length > 0 ? length : 1);
    for (int at = 0; at < length; at += step)
        digest.process(data + at, std::min(step, length - at));
    unsigned char sum[Digest::DIGEST_SIZE];
    digest.finish(sum);
    return hex(sum, sizeof sum);
}

std::string hmac(const std::vector<unsigned char>& key, const std::string& message)
{
    unsigned char sum[Md5::DIGEST_SIZE];
    Md5::Hmac(reinterpret_cast<const unsigned char*>(message.data()), static_cast<int>(message.size()), key.data(),
              static_cast<int>(key.size()), sum);
    return hex(sum, sizeof sum);
}

} // namespace

TEST(Md5Digest, MatchesTheReferenceSuite)
{
    const char* suite[][2] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (auto& [message, sum] : suite)
        EXPECT_EQ(digestOf<Md5>(message), sum) << message;
}

TEST(Md5Digest, PiecesAndPaddingBoundaries)
{
    std::string text = "12345678901234567890123456789012345678901234567890123456789012345678901234567890";
    for (int piece : {1, 3, 63, 64, 65})
        EXPECT_EQ(digestOf<Md5>(text, piece), "57edf4a22be3c955ac49da2e2107b67a") << piece;

    // Messages whose padding just fits or just spills into a second block
    // must each give their own digest, and finish() must start over.
    Md5 digest;
    unsigned char first[16], second[16];
    std::string fiftyFive(55, 'x'), fiftySix(56, 'x');
    digest.process(reinterpret_cast<const unsigned char*>(fiftyFive.data()), 55);
    digest.finish(first);
    digest.process(reinterpret_cast<const unsigned char*>(fiftySix.data()), 56);
    digest.finish(second);
    EXPECT_NE(hex(first, 16), hex(second, 16));
    EXPECT_EQ(hex(second, 16), digestOf<Md5>(fiftySix));

    digest.process(nullptr, 10);
    digest.process(reinterpret_cast<const unsigned char*>("abc"), 0);
    digest.finish(first);
    EXPECT_EQ(hex(first, 16), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5Hmac, MatchesTheReferenceCases)
{
    EXPECT_EQ(hmac(std::vector<unsigned char>(16, 0x0b), "Hi There"), "9294727a3638bb1c13f48ef8158bfc9d");
    EXPECT_EQ(hmac(codec_test::text("Jefe"), "what do ya want for nothing?"), "750c783e6ab0b503eaa86e310a5db738");
    EXPECT_EQ(hmac(std::vector<unsigned char>(16, 0xaa), std::string(50, '\xdd')), "56be34521d144c88dbb8c733f0e8b3f6");
    EXPECT_EQ(hmac(bytes("0102030405060708090a0b0c0d0e0f10111213141516171819"), std::string(50, '\xcd')),
              "697eaf0aca3a3aea3a75164746ffaa79");
    EXPECT_EQ(hmac(std::vector<unsigned char>(16, 0x0c), "Test With Truncation"), "56461ef2342edc00f9bab995690efd4c");
    EXPECT_EQ(hmac(std::vector<unsigned char>(80, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First"),
              "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd");
    EXPECT_EQ(hmac(std::vector<unsigned char>(80, 0xaa),
                   "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
              "6f630fad67cda0ee1fb1f562db3aa53e");

    // A key length below one means a terminated key.
    const char* message = "what do ya want for nothing?";
    unsigned char sum[16];
    Md5::Hmac(reinterpret_cast<const unsigned char*>(message), static_cast<int>(std::strlen(message)),
              reinterpret_cast<const unsigned char*>("Jefe"), 0, sum);
    EXPECT_EQ(hex(sum, 16), "750c783e6ab0b503eaa86e310a5db738");
}

TEST(Sha1Digest, MatchesTheStandardMessages)
{
    EXPECT_EQ(digestOf<Sha1>("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(digestOf<Sha1>("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(digestOf<Sha1>(std::string(1000000, 'a'), 1000), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(digestOf<Sha1>(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Sha1Digest, PiecesGiveTheSameDigest)
{
    std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    for (int piece : {1, 7, 55, 56, 64})
        EXPECT_EQ(digestOf<Sha1>(text, piece), "84983e441c3bd26ebaae4aa1f95129e5e54670f1") << piece;

    Sha1 copy;
    copy.process(reinterpret_cast<const unsigned char*>("ab"), 2);
    Sha1 other(copy);
    other.process(reinterpret_cast<const unsigned char*>("c"), 1);
    unsigned char sum[20];
    other.finish(sum);
    EXPECT_EQ(hex(sum, 20), "a9993e364706816aba3e25717850c26c9cd0d89d");
}
