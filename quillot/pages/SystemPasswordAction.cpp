#include "quillot/pages/SystemPasswordAction.h"

#include "dbdriver/IDbSession.h"
#include "quillot/pages/PasswordChange.h"
#include "quillot/pages/PasswordCheck.h"
#include "quillot/pages/SignInThrottle.h"
#include "quillot/pages/UserCheck.h"
#include "tessel/core/Date.h"
#include "tessel/web/HttpRequest.h"

namespace {
const PageRegistration<SystemPasswordAction> registration(u"SystemPassword");
} // namespace

using tessel::String;
using tessel::Value;

void SystemPasswordAction::execute()
{
    runCommand<SystemPasswordAction>(this, {{u"", &SystemPasswordAction::_show},
                                            {u"passwd", &SystemPasswordAction::_change}});
}

void SystemPasswordAction::_show()
{
    offerMessages();
}

void SystemPasswordAction::_change()
{
    Value* fields = post();
    String userid = fields ? fields->getAt(u"userid").trim() : String();
    if (userid.empty())
        userid = UserCheck::ADMINISTRATOR;
    String dbname;
    if (db())
        db()->getName(dbname);
    String address = getRequest().getRemoteAddr();
    String user = dbname + u"/" + userid;
    SignInThrottle& throttle = SignInThrottle::instance();
    int64_t now = tessel::Date::ansiTime();
    if (throttle.waitSeconds(address, user, now) > 0) {
        setError(u"throttled");
        return;
    }
    PasswordChange change(*this);
    PasswordCheck check(&getRequest());
    PasswordChange::Outcome outcome = change.change(userid, fields ? fields->getAt(u"oldpass") : String(),
                                                    fields ? fields->getAt(u"newpass") : String(), check);
    if (outcome == PasswordChange::Outcome::Pending) {
        setAnswered(true); // the host checks the old password and runs the page again
        return;
    }
    if (outcome == PasswordChange::Outcome::Changed) {
        throttle.recordSuccess(user);
        setError(String());
        return;
    }
    if (change.getError() == u"failed")
        throttle.recordFailure(address, user, now);
    setError(change.getError());
}
