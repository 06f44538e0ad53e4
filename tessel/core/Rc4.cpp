#include "tessel/core/Rc4.h"

#include <cstring>
#include <utility>

namespace tessel {

bool Rc4::setKey(const unsigned char* key, int length)
{
    if (!key)
        return false;
    if (length < 1)
        length = static_cast<int>(std::strlen(reinterpret_cast<const char*>(key)));
    if (length < 1 || length > MAX_KEY_SIZE)
        return false;
    for (int k = 0; k < 256; k++)
        state_[k] = static_cast<unsigned char>(k);
    unsigned char j = 0;
    for (int k = 0; k < 256; k++) {
        j = static_cast<unsigned char>(j + state_[k] + key[k % length]);
        std::swap(state_[k], state_[j]);
    }
    i_ = 0;
    j_ = 0;
    keyed_ = true;
    return true;
}

unsigned char Rc4::_next()
{
    i_ = static_cast<unsigned char>(i_ + 1);
    j_ = static_cast<unsigned char>(j_ + state_[i_]);
    std::swap(state_[i_], state_[j_]);
    return state_[static_cast<unsigned char>(state_[i_] + state_[j_])];
}

bool Rc4::encrypt(const unsigned char* in, unsigned char* out)
{
    return process(in, out, 1);
}

bool Rc4::process(const unsigned char* in, unsigned char* out, int length)
{
    if (!keyed_ || !in || !out || length < 0)
        return false;
    for (int k = 0; k < length; k++)
        out[k] = in[k] ^ _next();
    return true;
}

const char* Rc4::crypt(const char* key, const char* salt)
{
    Rc4 scratch;
    return CryptText::withCipher(scratch, BLOCK_BYTES, CryptText::MAX_KEY, key, salt, cryptText_);
}

} // namespace tessel
