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
    if (crypto_pwhash_str(hash, bytes.data(), bytes.size(), OPS_LIMIT, MEM_LIMIT) != 0)
        return String();
    return String::fromUTF8(hash);
}

bool PasswordHash::isHash(const String& stored)
{
    return stored.startsWith(u"$argon2");
}

bool PasswordHash::needsRehash(const String& stored)
{
    if (!ready() || !isHash(stored))
        return true;
    return crypto_pwhash_str_needs_rehash(stored.toStdString().c_str(), OPS_LIMIT, MEM_LIMIT) != 0;
}

bool PasswordHash::matchesHash(const std::string& stored, const std::string& typed)
{
    return ready() && crypto_pwhash_str_verify(stored.c_str(), typed.data(), typed.size()) == 0;
}

bool PasswordHash::matchesPlain(const String& stored, const String& typed)
{
    // Compared without letting the time taken tell how much of it matched.
    std::string storedBytes = stored.toStdString();
    std::string typedBytes = typed.toStdString();
    if (!ready() || storedBytes.empty() || storedBytes.size() != typedBytes.size())
        return false;
    return sodium_memcmp(storedBytes.data(), typedBytes.data(), storedBytes.size()) == 0;
}

const String& PasswordHash::unmatchable()
{
    // Made once from 24 random bytes that were then thrown away.
    static const String hash(
        u"$argon2id$v=19$m=19456,t=2,p=1$8851uagLc6RsYBXsx8Gfew$jW0b5a+sxbU4iQY7rLqOnK8vs+nxRxvPRGD5N30vLBg");
    return hash;
}

bool PasswordHash::verify(const String& stored, const String& typed, bool& plain)
{
    plain = false;
    if (stored.empty())
        return false;
    if (isHash(stored))
        return matchesHash(stored.toStdString(), typed.toStdString());
    plain = true;
    return matchesPlain(stored, typed);
}
