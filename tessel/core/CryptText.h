#pragma once

#include <algorithm>
#include <cstring>

namespace tessel {

// The steps shared by the crypt() operations of the digests and ciphers,
// a password hash in the manner of the classic Unix crypt: the key is cut
// to 56 characters, each shifted left one bit and zero-padded to at least
// 8 bytes; the salt is two characters ("A" stands for a missing one); the
// result is the salt followed by the hashed bytes in the crypt alphabet
// "./0-9A-Za-z". The texts are this library's own and are not meant to
// match any other system's crypt output.
class CryptText {
public:
    enum : int {
        MAX_KEY = 56,
        MIN_KEY = 8,
        SALT_SIZE = 2,
        BUFFER_SIZE = 64, // salt, up to 32 bytes in 43 characters, NUL
        ROUNDS = 25,
        CIPHER_BYTES = 16,
    };

    // Writes the prepared key into `out` (MAX_KEY bytes) and returns its
    // length; a null key counts as the empty one.
    static int prepareKey(const char* key, unsigned char* out);
    // Two salt characters; "A" for each one that is missing.
    static void prepareSalt(const char* salt, char* out);
    // Writes the salt and the bytes (at most 32) as text into `out`
    // (BUFFER_SIZE characters) and returns `out`.
    static char* format(const char* salt, const unsigned char* bytes, int n, char* out);

    // crypt() of a digest: the salt and key hashed, then the digest, salt
    // and key hashed again, ROUNDS times in all.
    template <class Digest>
    static char* withDigest(int digestSize, const char* key, const char* salt, char* out);

    // crypt() of a cipher: CIPHER_BYTES starting with the salt, chained
    // and encrypted ROUNDS times under each `keyChunk`-byte piece of the
    // key. The cipher is a scratch copy that gets the key.
    template <class Cipher>
    static char* withCipher(Cipher& cipher, int blockSize, int keyChunk, const char* key, const char* salt, char* out);
};

template <class Digest>
char* CryptText::withDigest(int digestSize, const char* key, const char* salt, char* out)
{
    unsigned char prepared[MAX_KEY];
    int keyLength = prepareKey(key, prepared);
    char saltChars[SALT_SIZE];
    prepareSalt(salt, saltChars);

    Digest digest;
    unsigned char sum[32] = {};
    auto saltBytes = reinterpret_cast<const unsigned char*>(saltChars);
    for (int round = 0; round < ROUNDS; round++) {
        if (round > 0)
            digest.process(sum, digestSize);
        digest.process(saltBytes, SALT_SIZE);
        digest.process(prepared, keyLength);
        digest.finish(sum);
    }
    return format(saltChars, sum, digestSize, out);
}

template <class Cipher>
char* CryptText::withCipher(Cipher& cipher, int blockSize, int keyChunk, const char* key, const char* salt, char* out)
{
    unsigned char prepared[MAX_KEY];
    int keyLength = prepareKey(key, prepared);
    char saltChars[SALT_SIZE];
    prepareSalt(salt, saltChars);

    unsigned char data[CIPHER_BYTES] = {};
    std::memcpy(data, saltChars, SALT_SIZE);
    for (int offset = 0; offset < keyLength; offset += keyChunk) {
        unsigned char piece[MAX_KEY] = {};
        std::memcpy(piece, prepared + offset, static_cast<size_t>(std::min(keyChunk, keyLength - offset)));
        if (!cipher.setKey(piece, keyChunk))
            break;
        for (int round = 0; round < ROUNDS; round++) {
            for (int at = 0; at < CIPHER_BYTES; at += blockSize) {
                for (int i = 0; at > 0 && i < blockSize; i++)
                    data[at + i] ^= data[at - blockSize + i];
                cipher.encrypt(data + at, data + at);
            }
        }
    }
    return format(saltChars, data, CIPHER_BYTES, out);
}

} // namespace tessel
