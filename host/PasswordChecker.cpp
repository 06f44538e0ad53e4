#include "host/PasswordChecker.h"

#include <sodium.h>

#include "tessel/core/Value.h"
#include "tessel/web/HttpRequest.h"

#include "host/HostRequest.h"
#include "host/Utf8.h"

namespace host {

const tessel::String& PasswordChecker::attributeName()
{
    static const tessel::String name(u"host.passwordCheck");
    return name;
}

void PasswordChecker::offer(tessel::HttpRequest& target, const HostRequest& request)
{
    tessel::Ref<tessel::Value> offer = new tessel::Value();
    const HostRequest::PasswordQuestion& question = request.passwordQuestion;
    if (question.answered) {
        offer->insert(u"hash", Utf8::decode(question.hash));
        offer->insert(u"password", Utf8::decode(question.password));
        offer->insert(u"valid", question.valid ? u"1" : u"0");
    }
    target.setAttribute(attributeName(), offer);
}

bool PasswordChecker::asked(tessel::HttpRequest& target, HostRequest& request)
{
    auto* offer = dynamic_cast<tessel::Value*>(target.getAttribute(attributeName()));
    if (!offer || offer->find(u"valid") || !offer->find(u"hash"))
        return false;
    HostRequest::PasswordQuestion& question = request.passwordQuestion;
    question.hash = Utf8::encode(offer->getAt(u"hash"));
    question.password = Utf8::encode(offer->getAt(u"password"));
    question.answered = false;
    question.valid = false;
    return true;
}

bool PasswordChecker::matches(const std::string& hash, const std::string& password)
{
    static const bool ready = sodium_init() >= 0;
    return ready && crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

} // namespace host
