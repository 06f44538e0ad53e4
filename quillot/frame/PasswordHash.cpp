#include "quillot/frame/PasswordHash.h"

#include <sodium.h>

#include <string>

using tessel::String;

namespace {

bool ready()
{
    static const bool initialised = sodium_init() >= 0;
    return initialised;
}

} // namespace

String PasswordHash::make(const String& password)
{
    if (!ready())
        return String();
    std::string bytes = password.toStdString();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, bytes.data(), bytes.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return String();
    return String::fromUTF8(hash);
}

bool PasswordHash::isHash(const String& stored) { return stored.startsWith(u"$argon2"); }

bool PasswordHash::verify(const String& stored, const String& typed, bool& plain)
{
    plain = false;
    if (!ready() || stored.empty())
        return false;
    std::string typedBytes = typed.toStdString();
    std::string storedBytes = stored.toStdString();
    if (isHash(stored))
        return crypto_pwhash_str_verify(storedBytes.c_str(), typedBytes.data(), typedBytes.size()) == 0;
    // An old row with the password as written: compare without letting the
    // time taken tell how much of it matched.
    plain = true;
    if (storedBytes.size() != typedBytes.size())
        return false;
    return sodium_memcmp(storedBytes.data(), typedBytes.data(), storedBytes.size()) == 0;
}
