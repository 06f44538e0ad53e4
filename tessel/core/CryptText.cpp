#include "tessel/core/CryptText.h"

namespace tessel {

namespace {

const char ALPHABET[] = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

} // namespace

int CryptText::prepareKey(const char* key, unsigned char* out)
{
    int length = 0;
    for (; key && key[length] && length < MAX_KEY; length++)
        out[length] = static_cast<unsigned char>(key[length] << 1);
    for (; length < MIN_KEY; length++)
        out[length] = 0;
    return length;
}

void CryptText::prepareSalt(const char* salt, char* out)
{
    out[0] = salt && salt[0] ? salt[0] : 'A';
    out[1] = salt && salt[0] && salt[1] ? salt[1] : 'A';
}

char* CryptText::format(const char* salt, const unsigned char* bytes, int n, char* out)
{
    n = std::min(n, 32);
    int length = 0;
    out[length++] = salt[0];
    out[length++] = salt[1];
    // Six bits a character, most significant first; the last character
    // carries the remaining bits padded with zeros.
    unsigned bits = 0;
    int pending = 0;
    for (int i = 0; i < n; i++) {
        bits = (bits << 8) | bytes[i];
        pending += 8;
        while (pending >= 6) {
            pending -= 6;
            out[length++] = ALPHABET[(bits >> pending) & 63];
        }
    }
    if (pending > 0)
        out[length++] = ALPHABET[(bits << (6 - pending)) & 63];
    out[length] = 0;
    return out;
}

} // namespace tessel
