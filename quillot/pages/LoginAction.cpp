#include "quillot/pages/LoginAction.h"

#include "dbdriver/SqliteSession.h"
#include "quillot/frame/Application.h"
#include "quillot/pages/UserCheck.h"
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

// The host window's event after a sign-in.
constexpr int EVENT_SIGNED_IN = 100;
constexpr int MAX_DATABASE_NAME = 128;
constexpr int MAX_DATABASES_OFFERED = 100;

String trimmed(const String& text)
{
    String copy(text);
    return copy.trim();
}

} // namespace

bool LoginAction::isDatabaseName(const String& name)
{
    if (name.empty() || name.size() > MAX_DATABASE_NAME || name[0] == u'.' || name.indexOf(u"..") >= 0)
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
    data->insert(u"dbname", dbname);
    data->insert(u"company", company);
    data->insert(u"version", Application::version());
    // The page's script tells by these texts which field an answer is about.
    data->insert(u"messages.dbname", getMessage(u"dbname"));
    data->insert(u"messages.invalid", getMessage(u"invalid"));
    _listDatabases(data->insert(u"databases"));
}

void LoginAction::_listDatabases(Value* target)
{
    // The SQLite driver keeps each database as "<name>.db" in its folder.
    auto* sqlite = dynamic_cast<SqliteSession*>(db());
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
        if (isDatabaseName(name))
            target->insert(key.format(u"%03d", ++count), name);
    }
}

bool LoginAction::_openDatabase(const String& dbname)
{
    // Only a database that is there: opening a name never creates one.
    return isDatabaseName(dbname) && db() && db()->exists(dbname) && db()->open(dbname);
}

void LoginAction::_signIn(Value* fields)
{
    String userid = trimmed(fields->getAt(u"userid"));
    if (userid.empty())
        userid = UserCheck::ADMINISTRATOR;
    String dbname = trimmed(fields->getAt(u"dbname"));
    String previous;
    if (db())
        db()->getName(previous);
    if (!_openDatabase(dbname)) {
        setError(u"dbname");
        return;
    }
    UserCheck check(db());
    Ref<Value> tree = check.signIn(userid, fields->getAt(u"passwd"), userState());
    if (!tree) {
        // A visitor who is still signed in keeps the database that goes
        // with the session tree.
        if (!previous.empty() && previous != dbname)
            db()->open(previous);
        setError(check.getError());
        return;
    }
    if (tessel::HttpWindow* window = Application::window()) {
        window->postEvent(EVENT_SIGNED_IN, 0);
        window->setSetting(u"dbname", dbname);
        window->setSetting(u"company", tree->getAt(u"company"));
    }
    tree->insert(u"version", Application::version());
    getRequest().getSession().setAttribute(u"company", tree);
    setError(String());
}
