#pragma once

#include "quillot/frame/PageAction.h"

// Without a POST: the sign-in form, with the database and company of the
// last sign-in as a suggestion. With one ("userid", "passwd", "dbname"):
// opens the company database, signs the user in and answers "ok:", or the
// message of "dbname" or "invalid", or of "throttled" with the minutes to
// wait after too many failures (SignInThrottle). A failed sign-in leaves
// nothing behind: no database open, nothing in the visitor's session.
class LoginAction : public PageAction {
public:
    // Longest texts taken, in UTF-16 units.
    static constexpr int MAX_USERID = 64;
    static constexpr int MAX_PASSWD = 256;
    static constexpr int MAX_DBNAME = 64;
    // The host setting that holds how many failures SignInThrottle allows.
    static constexpr const char16_t* FAILURES_SETTING = u"signin.failures";
    void execute() override;

    // Whether a database name names a database of the server's data folder
    // and nothing else: no folders, no way up, no absolute path.
    static bool isDatabaseName(const tessel::String& name);
    // The databases of the data folder that `session` works in, as rows
    // "001", "002", ... of their names, for a form to offer.
    static void listDatabases(IDbSession* session, tessel::Value* target);

private:
    void _showForm();
    void _signIn(tessel::Value* post);
    bool _withinLimits(tessel::Value* post);
    void _applyFailureLimit();
    void _refuseFor(int64_t seconds, int64_t now);
    bool _openDatabase(const tessel::String& dbname);
    void _restoreDatabase(const tessel::String& previous);
};
