#include "quillot/pages/UserCheck.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/PasswordHash.h"
#include "quillot/frame/UserState.h"
#include "tessel/core/Date.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

constexpr double MAX_TAX_RATE = 100;

// Settings classes and names read at sign-in.
constexpr int CLASS_SYSTEM = 1, CLASS_COMPANY = 2, CLASS_BACKUP = 3;
constexpr int NAME_CREATED = 3, NAME_LAST_SIGN_IN = 4, NAME_NOTICE_TIME = 9;
constexpr int NAME_COMPANY = 1, NAME_TAX_RATE = 9;
constexpr int NAME_BACKUP_AT_SIGN_IN = 1;
constexpr int CLASS_NOTICE_TEXT_1 = 8, CLASS_NOTICE_TEXT_2 = 9;

// Digits with at most one decimal point, nothing else.
bool isPlainNumber(const String& text)
{
    if (text.empty())
        return false;
    int points = 0, digits = 0;
    for (int i = 0; i < text.size(); i++) {
        if (text[i] == u'.')
            points++;
        else if (text[i] >= u'0' && text[i] <= u'9')
            digits++;
        else
            return false;
    }
    return points <= 1 && digits > 0;
}

} // namespace

UserCheck::UserCheck(IDbSession* session) : TableClass(session) {}

double UserCheck::taxFactorOf(const String& setting)
{
    String rate(setting);
    rate.trim();
    if (!isPlainNumber(rate) || rate.toDouble() > MAX_TAX_RATE)
        return UserState::DEFAULT_TAX_FACTOR;
    return 1 + rate.toDouble() * 0.01;
}

String UserCheck::taxFactorText(double factor)
{
    String text;
    text.format(u"%0.4f", factor);
    text.rightTrim(u"0");
    text.rightTrim(u".");
    return text;
}

Ref<Value> UserCheck::signIn(const String& userid, const String& password, UserState& state)
{
    setError(u"invalid");
    if (!session() || userid.empty())
        return nullptr;
    String stored, fullname;
    if (!_findUser(userid, stored, fullname))
        return nullptr;
    bool plain = false;
    if (!PasswordHash::verify(stored, password, plain))
        return nullptr;
    setError(String());

    Ref<Value> tree = new Value();
    tree->insert(u"userid", userid);
    tree->insert(u"username", fullname);
    state.setUserId(userid);
    _addCompany(tree, state);
    _addDropdowns(tree);
    _addSwitches(tree);
    _addNoticeTexts(tree);
    _recordSignIn(userid, password, plain);
    return tree;
}

bool UserCheck::_findUser(const String& userid, String& stored, String& fullname)
{
    String sql;
    sql.format(u"SELECT fullname, password FROM zsysuser WHERE userid = '%s'", session()->escape(userid).c_str());
    Ref<IDbCursor> cursor;
    if (!session()->openCursor(sql, cursor.out()) || !cursor || !cursor->next())
        return false;
    cursor->getStringAt(fullname, 0);
    cursor->getStringAt(stored, 1);
    return true;
}

String UserCheck::_setting(int classid, int nameid)
{
    String sql, value;
    sql.format(u"SELECT svalue FROM zsysconf WHERE classid = %d AND nameid = %d", classid, nameid);
    return session()->queryString(value, sql);
}

void UserCheck::_addCompany(Value* tree, UserState& state)
{
    double factor = taxFactorOf(_setting(CLASS_COMPANY, NAME_TAX_RATE));
    state.setTaxFactor(factor);
    tree->insert(u"taxrate", taxFactorText(factor));
    tree->insert(u"company", _setting(CLASS_COMPANY, NAME_COMPANY));
    tree->insert(u"startime", _setting(CLASS_SYSTEM, NAME_CREATED));
    state.setLastNoticeTime(_setting(CLASS_SYSTEM, NAME_NOTICE_TIME).toLong());
    if (_setting(CLASS_BACKUP, NAME_BACKUP_AT_SIGN_IN).toInteger() == 1)
        tree->insert(u"backup", u"1");
}

void UserCheck::_addSwitches(Value* tree)
{
    String name;
    for (int section = 1; section <= 9; section++)
        tree->insert(name.format(u"notice.s%d", section), u"1");
    tree->insert(u"sales.s1", u"1");
    tree->insert(u"purchase.s1", u"1");
}

void UserCheck::_addNoticeTexts(Value* tree)
{
    // The texts are stored decoded: they go into the tree as they are.
    String text;
    if (loadLongText(CLASS_NOTICE_TEXT_1, text))
        tree->insert(u"other1", text);
    if (loadLongText(CLASS_NOTICE_TEXT_2, text))
        tree->insert(u"other2", text);
}

void UserCheck::_recordSignIn(const String& userid, const String& password, bool rehash)
{
    // Inside the caller's transaction when there is one (a new database is
    // signed into while it is set up); otherwise in one of our own.
    DbTransaction transaction(session());
    String sql;
    if (rehash) {
        String hash = PasswordHash::make(password);
        if (!hash.empty()) {
            sql.format(u"UPDATE zsysuser SET password = '%s' WHERE userid = '%s'", session()->escape(hash).c_str(),
                       session()->escape(userid).c_str());
            session()->execute(sql);
        }
    }
    sql.format(u"UPDATE zsysconf SET svalue = '%lld' WHERE classid = %d AND nameid = %d",
               static_cast<long long>(tessel::Date::ansiTime()), CLASS_SYSTEM, NAME_LAST_SIGN_IN);
    session()->execute(sql);
    if (transaction.isActive())
        transaction.commit();
}
