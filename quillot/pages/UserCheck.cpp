#include "quillot/pages/UserCheck.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/PageAction.h"
#include "quillot/frame/PasswordHash.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/PasswordCheck.h"
#include "tessel/core/Date.h"
#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"
#include "tessel/web/HttpWindow.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// The host window's event after a sign-in.
constexpr int EVENT_SIGNED_IN = 100;

} // namespace

UserCheck::UserCheck(IDbSession* session) : TableClass(session) {}

Ref<Value> UserCheck::signIn(const String& userid, const String& password, UserState& state, PasswordCheck* check)
{
    setError(u"invalid");
    if (!session() || userid.empty())
        return nullptr;
    // An unknown user is checked all the same (against nothing), so that
    // the time of the answer does not tell which user ids exist.
    String stored, fullname;
    bool known = _findUser(userid, stored, fullname);
    PasswordCheck here(nullptr);
    bool plain = false;
    PasswordCheck::Outcome outcome = (check ? *check : here).check(known ? stored : String(), password, plain);
    if (outcome == PasswordCheck::Outcome::Pending) {
        setError(u"pending");
        return nullptr;
    }
    if (!known || outcome != PasswordCheck::Outcome::Match)
        return nullptr;
    setError(String());
    Ref<Value> tree = _build(userid, fullname, state);
    _recordSignIn(userid, password, plain || PasswordHash::needsRehash(stored));
    return tree;
}

Ref<Value> UserCheck::treeOf(const String& userid, UserState& state)
{
    setError(u"invalid");
    String stored, fullname;
    if (!session() || userid.empty() || !_findUser(userid, stored, fullname))
        return nullptr;
    setError(String());
    Ref<Value> tree = _build(userid, fullname, state);
    _recordSignIn(userid, String(), false);
    return tree;
}

Ref<Value> UserCheck::_build(const String& userid, const String& fullname, UserState& state)
{
    Ref<Value> tree = new Value();
    tree->insert(u"userid", userid);
    tree->insert(u"username", fullname);
    state.setUserId(userid);
    _addCompany(tree, state);
    SettingsTable(session()).fillDropdowns(tree);
    _addSwitches(tree);
    dropNameCache(u"_all");
    _addNoticeTexts(tree);
    return tree;
}

void UserCheck::admit(PageAction& page, Value* tree, const UserState& state)
{
    UserState& kept = page.userState();
    kept.setUserId(state.userId());
    kept.setTaxFactor(state.taxFactor());
    kept.setLastNoticeTime(state.lastNoticeTime());
    if (tessel::HttpWindow* window = Application::window()) {
        String dbname;
        if (page.db())
            page.db()->getName(dbname);
        window->postEvent(EVENT_SIGNED_IN, 0);
        window->setSetting(u"dbname", dbname);
        window->setSetting(u"company", tree->getAt(u"company"));
    }
    tree->insert(u"version", Application::version());
    page.getRequest().getSession().setAttribute(u"company", tree);
    page.setCompany(tree);
}

bool UserCheck::_findUser(const String& userid, String& stored, String& fullname)
{
    String sql;
    sql.format(u"SELECT fullname, password FROM zsysuser WHERE userid = '%s'", escape(userid).c_str());
    Ref<IDbCursor> cursor;
    if (!session()->openCursor(sql, cursor.out()) || !cursor || !cursor->next())
        return false;
    cursor->getStringAt(fullname, 0);
    cursor->getStringAt(stored, 1);
    return true;
}

void UserCheck::_addCompany(Value* tree, UserState& state)
{
    SettingsTable settings(session());
    double factor = settings.taxFactor();
    state.setTaxFactor(factor);
    tree->insert(u"taxrate", factor, u"%0.4f", true);
    tree->insert(u"company", settings.getText(SettingsTable::COMPANY, SettingsTable::COMPANY_NAME));
    tree->insert(u"startime", settings.getText(SettingsTable::SYSTEM, SettingsTable::SYSTEM_CREATED));
    state.setLastNoticeTime(settings.getTime(SettingsTable::SYSTEM, SettingsTable::SYSTEM_NOTICE_TIME));
    if (settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_REMINDER).toInteger() == 1)
        tree->insert(u"backup", u"1");
}

void UserCheck::_addSwitches(Value* tree)
{
    String path;
    for (int section = 1; section <= 9; section++)
        tree->insert(path.format(u"notice.s%d", section), u"1");
    tree->insert(u"sales.s1", u"1");
    tree->insert(u"purchase.s1", u"1");
}

void UserCheck::_addNoticeTexts(Value* tree)
{
    // The texts are stored decoded: they go into the tree as they are.
    String text;
    if (loadLongText(SettingsTable::NOTICE_1, text))
        tree->insert(u"other1", text);
    if (loadLongText(SettingsTable::NOTICE_2, text))
        tree->insert(u"other2", text);
}

void UserCheck::_recordSignIn(const String& userid, const String& password, bool rehash)
{
    // Inside the caller's transaction when there is one (a new database is
    // signed into while it is set up); otherwise in one of our own. Neither
    // change is needed for the sign-in itself: a failure leaves the user
    // signed in, and a plain-text row is rewritten at the next sign-in.
    bool own = !session()->inTransaction();
    DbTransaction transaction(own ? session() : nullptr);
    if (rehash) {
        String hash = PasswordHash::make(password);
        if (!hash.empty()) {
            String sql;
            sql.format(u"UPDATE zsysuser SET password = '%s' WHERE userid = '%s'", escape(hash).c_str(),
                       escape(userid).c_str());
            session()->execute(sql);
        }
    }
    SettingsTable(session()).setTime(SettingsTable::SYSTEM, SettingsTable::SYSTEM_SIGNED_IN, tessel::Date::ansiTime());
    if (own)
        transaction.commit();
}
