#include "quillot/pages/SystemSwitchAction.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/DatabaseBackup.h"
#include "quillot/pages/LoginAction.h"
#include "quillot/pages/PasswordCheck.h"
#include "quillot/pages/SignInThrottle.h"
#include "quillot/pages/UserCheck.h"
#include "tessel/core/Date.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpWindow.h"

namespace {
const PageRegistration<SystemSwitchAction> registration(u"SystemSwitch");
} // namespace

using tessel::Ref;
using tessel::String;
using tessel::Value;

void SystemSwitchAction::execute()
{
    runCommand<SystemSwitchAction>(this,
                                   {{u"", &SystemSwitchAction::_show}, {u"switch", &SystemSwitchAction::_switch}});
}

void SystemSwitchAction::_show()
{
    String dbname, company;
    if (tessel::HttpWindow* window = Application::window()) {
        window->getSetting(u"dbname", dbname);
        window->getSetting(u"company", company);
    }
    if (!LoginAction::isDatabaseName(dbname) || !db() || !db()->exists(dbname)) {
        dbname.clear();
        company.clear();
    }
    Value* fields = form();
    fields->insert(u"dbname", dbname);
    fields->insert(u"company", company);
    LoginAction::listDatabases(db(), getValue()->insert(u"databases"));
    offerMessages();
}

void SystemSwitchAction::_switch()
{
    Value* fields = post();
    String name = fields ? fields->getAt(u"database").trim() : String();
    String password = fields ? fields->getAt(u"password") : String();
    if (name.empty() || password.empty()) {
        setError(u"empty");
        return;
    }
    if (password.size() > LoginAction::MAX_PASSWD) {
        setError(u"login");
        return;
    }
    String previous;
    if (db())
        db()->getName(previous);
    if (name == previous) {
        setError(u"sameas");
        return;
    }
    if (!db() || !LoginAction::isDatabaseName(name) || !db()->exists(name) || !db()->open(name)) {
        _restore(previous);
        setError(u"notexist");
        return;
    }
    // Failures count as failed sign-ins of the administrator there.
    String address = getRequest().getRemoteAddr();
    String user = name + u"/" + UserCheck::ADMINISTRATOR;
    SignInThrottle& throttle = SignInThrottle::instance();
    int64_t now = tessel::Date::ansiTime();
    if (throttle.waitSeconds(address, user, now) > 0) {
        _restore(previous);
        setError(u"throttled");
        return;
    }
    UserCheck check(db());
    PasswordCheck passwordCheck(&getRequest());
    Ref<UserState> state = new UserState();
    Ref<Value> tree = check.signIn(UserCheck::ADMINISTRATOR, password, *state, &passwordCheck);
    if (!tree) {
        _restore(previous);
        if (check.getError() == u"pending") {
            setAnswered(true); // the host checks the password and runs the page again
            return;
        }
        throttle.recordFailure(address, user, now);
        setError(u"login");
        return;
    }
    throttle.recordSuccess(user);
    UserCheck::admit(*this, tree, *state);
    DatabaseBackup(*this).backUpWhenDue(now);
    setError(String());
}

void SystemSwitchAction::_restore(const String& previous)
{
    if (!db())
        return;
    String current;
    db()->getName(current);
    if (current != previous && (previous.empty() || !db()->open(previous)))
        db()->close();
}
