#include "quillot/pages/LoginAction.h"

#include <ctime>

#include "dbdriver/SqliteSession.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/DatabaseBackup.h"
#include "quillot/pages/PasswordCheck.h"
#include "quillot/pages/SignInThrottle.h"
#include "quillot/pages/UserCheck.h"
#include "tessel/core/Date.h"
#include "tessel/core/System.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"
#include "tessel/web/HttpWindow.h"

namespace {
const PageRegistration<LoginAction> registration(u"Login");
} // namespace

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

constexpr int MAX_DATABASES_OFFERED = 100;
constexpr int SECONDS_PER_MINUTE = 60;

String trimmed(const String& text)
{
    String copy(text);
    return copy.trim();
}

} // namespace

bool LoginAction::isDatabaseName(const String& name)
{
    if (name.empty() || name.size() > MAX_DBNAME || name[0] == u'.' || name.indexOf(u"..") >= 0)
        return false;
    for (int i = 0; i < name.size(); i++) {
        char16_t c = name[i];
        if (c < 0x20 || c == 0x7F || c == u'/' || c == u'\\' || c == u':')
            return false;
    }
    return true;
}

void LoginAction::execute()
{
    if (Value* fields = post())
        _signIn(fields);
    else
        _showForm();
}

void LoginAction::_showForm()
{
    // The database and company of the last sign-in, as a suggestion; a
    // database that is gone is not suggested.
    String dbname, company;
    if (tessel::HttpWindow* window = Application::window()) {
        window->getSetting(u"dbname", dbname);
        window->getSetting(u"company", company);
    }
    if (!isDatabaseName(dbname) || !db() || !db()->exists(dbname)) {
        dbname.clear();
        company.clear();
    }
    Value* data = getValue();
    Value* databases = data->insert(u"databases");
    listDatabases(db(), databases);
    // A data folder of one database has nothing else to offer.
    String key;
    if (dbname.empty() && databases->size() == 1)
        databases->getPairOf(0, key, dbname);
    data->insert(u"dbname", dbname);
    data->insert(u"company", company);
    data->insert(u"version", Application::version());
    // The page's script tells by these texts which field an answer is about.
    data->insert(u"messages.dbname", getMessage(u"dbname"));
    data->insert(u"messages.invalid", getMessage(u"invalid"));
}

void LoginAction::listDatabases(IDbSession* session, Value* target)
{
    // The SQLite driver keeps each database as "<name>.db" in its folder.
    auto* sqlite = dynamic_cast<SqliteSession*>(session);
    if (!sqlite)
        return;
    String probe = String::fromUTF8(sqlite->pathOf(u"x"));
    String folder = probe.substr(0, probe.size() - 4);
    tessel::Array<tessel::IFileSystem::FileEntry> entries;
    tessel::System::getInstance().listDirectory(folder + u"*.db", entries);
    String name, key;
    int count = 0;
    for (int i = 0; i < entries.size() && count < MAX_DATABASES_OFFERED; i++) {
        if (entries[i]->isDirectory())
            continue;
        name = entries[i]->name;
        name.trunc(name.size() - 3);
        if (isDatabaseName(name) && sqlite->exists(name)) // no links
            target->insert(key.format(u"%03d", ++count), name);
    }
}

bool LoginAction::_openDatabase(const String& dbname)
{
    // Only a database that is there: opening a name never creates one.
    return isDatabaseName(dbname) && db() && db()->exists(dbname) && db()->open(dbname);
}

bool LoginAction::_withinLimits(Value* fields)
{
    // Longer texts than any real user id, password or database name are
    // turned away before anything is looked up, opened or hashed.
    if (fields->getAt(u"dbname").size() > MAX_DBNAME) {
        setError(u"dbname");
        return false;
    }
    if (fields->getAt(u"userid").size() > MAX_USERID || fields->getAt(u"passwd").size() > MAX_PASSWD) {
        setError(u"invalid");
        return false;
    }
    return true;
}

void LoginAction::_applyFailureLimit()
{
    String allowed;
    if (tessel::HttpWindow* window = Application::window())
        window->getSetting(FAILURES_SETTING, allowed);
    SignInThrottle::instance().setFailuresAllowed(allowed.empty() ? SignInThrottle::DEFAULT_FAILURES_ALLOWED
                                                                  : allowed.toInteger());
}

void LoginAction::_refuseFor(int64_t seconds, int64_t now)
{
    // "... {time} ... {minutes} ...": the clock time from which the next
    // attempt is taken, and the minutes until then, rounded up.
    std::time_t until = static_cast<std::time_t>(now + seconds);
    std::tm local{};
    char clock[16] = "";
    if (::localtime_r(&until, &local))
        std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
    String minutes;
    minutes.format(u"%d", static_cast<int>((seconds + SECONDS_PER_MINUTE - 1) / SECONDS_PER_MINUTE));
    String text = getMessage(u"throttled");
    text.replace(u"{time}", String::fromUTF8(clock).c_str());
    text.replace(u"{minutes}", minutes.c_str());
    setError(text.empty() ? String(u"throttled") : text);
}

void LoginAction::_signIn(Value* fields)
{
    if (!_withinLimits(fields))
        return;
    String userid = trimmed(fields->getAt(u"userid"));
    if (userid.empty())
        userid = UserCheck::ADMINISTRATOR;
    String dbname = trimmed(fields->getAt(u"dbname"));
    // Failures count per client address and per user of one database;
    // a refused attempt costs the same whether the user exists or not.
    String address = getRequest().getRemoteAddr();
    String user = dbname + u"/" + userid;
    SignInThrottle& throttle = SignInThrottle::instance();
    _applyFailureLimit();
    int64_t now = tessel::Date::ansiTime();
    if (int64_t wait = throttle.waitSeconds(address, user, now)) {
        _refuseFor(wait, now);
        return;
    }
    String previous;
    if (db())
        db()->getName(previous);
    if (!_openDatabase(dbname)) {
        _restoreDatabase(previous);
        setError(u"dbname");
        return;
    }
    UserCheck check(db());
    PasswordCheck password(&getRequest());
    Ref<UserState> state = new UserState();
    Ref<Value> tree = check.signIn(userid, fields->getAt(u"passwd"), *state, &password);
    if (!tree) {
        _restoreDatabase(previous);
        if (check.getError() == u"pending") {
            setAnswered(true); // the host checks the password and runs the page again
            return;
        }
        throttle.recordFailure(address, user, now);
        setError(check.getError());
        return;
    }
    throttle.recordSuccess(user);
    UserCheck::admit(*this, tree, *state);
    DatabaseBackup(*this).backUpWhenDue(tessel::Date::ansiTime());
    setError(String());
}

void LoginAction::_restoreDatabase(const String& previous)
{
    // A visitor who is still signed in keeps the database that goes with
    // the session tree; anyone else keeps none open.
    if (!db())
        return;
    String current;
    db()->getName(current);
    if (current == previous)
        return;
    if (previous.empty() || !db()->open(previous))
        db()->close();
}
