#include "quillot/pages/PasswordChange.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/PasswordHash.h"
#include "quillot/pages/PasswordCheck.h"

using tessel::Ref;
using tessel::String;

PasswordChange::PasswordChange(const PageAction& page) : TableClass(page) {}

PasswordChange::Outcome PasswordChange::change(const String& userid, const String& oldPassword,
                                               const String& newPassword, PasswordCheck& check)
{
    if (oldPassword.empty() || newPassword.empty()) {
        fail(u"empty");
        return Outcome::Refused;
    }
    if (newPassword.size() < MIN_LENGTH) {
        fail(u"short");
        return Outcome::Refused;
    }
    if (newPassword.size() > MAX_LENGTH || oldPassword.size() > MAX_LENGTH) {
        fail(u"long");
        return Outcome::Refused;
    }
    String stored;
    bool known = false;
    Ref<IDbCursor> row;
    if (session() && !userid.empty() && userid.size() <= MAX_USERID &&
        session()->openCursor(u"SELECT password FROM zsysuser WHERE userid = ?", {userid}, row.out()) && row &&
        row->next()) {
        row->getStringAt(stored, 0);
        known = true;
    }
    row.reset();
    // An unknown user is checked all the same, so that the answer takes as
    // long as for a known one.
    bool plain = false;
    PasswordCheck::Outcome outcome = check.check(known ? stored : String(), oldPassword, plain);
    if (outcome == PasswordCheck::Outcome::Pending)
        return Outcome::Pending;
    if (!known || outcome != PasswordCheck::Outcome::Match) {
        fail(u"failed");
        return Outcome::Refused;
    }
    String hash = PasswordHash::make(newPassword);
    DbTransaction transaction(session());
    if (hash.empty() || !transaction.isActive() ||
        !changeOne(u"UPDATE zsysuser SET password = ? WHERE userid = ? AND password = ?", {hash, userid, stored},
                   u"failed") ||
        !transaction.commit()) {
        fail(u"failed");
        return Outcome::Refused;
    }
    return Outcome::Changed;
}
