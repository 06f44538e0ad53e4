#include "quillot/pages/PasswordCheck.h"

#include "quillot/frame/PasswordHash.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpRequest.h"

using tessel::String;
using tessel::Value;

const String& PasswordCheck::attributeName()
{
    static const String name(u"host.passwordCheck");
    return name;
}

PasswordCheck::PasswordCheck(tessel::HttpRequest* request) : request_(request) {}

PasswordCheck::Outcome PasswordCheck::check(const String& stored, const String& typed, bool& plain)
{
    plain = !stored.empty() && !PasswordHash::isHash(stored);
    bool hashed = !stored.empty() && !plain;
    Outcome outcome = checkHash(hashed ? stored : PasswordHash::unmatchable(), typed);
    if (outcome == Outcome::Pending || hashed)
        return outcome;
    return plain && PasswordHash::matchesPlain(stored, typed) ? Outcome::Match : Outcome::Mismatch;
}

PasswordCheck::Outcome PasswordCheck::checkHash(const String& hash, const String& typed)
{
    Value* offer = request_ ? dynamic_cast<Value*>(request_->getAttribute(attributeName())) : nullptr;
    if (!offer)
        return PasswordHash::matchesHash(hash.toStdString(), typed.toStdString()) ? Outcome::Match : Outcome::Mismatch;
    // The answer counts only for the very hash and password it was given
    // for: the row may have changed between the two runs.
    if (offer->find(u"valid") && offer->getAt(u"hash") == hash && offer->getAt(u"password") == typed)
        return offer->getAt(u"valid") == u"1" ? Outcome::Match : Outcome::Mismatch;
    offer->remove(u"valid");
    offer->insert(u"hash", hash);
    offer->insert(u"password", typed);
    return Outcome::Pending;
}
