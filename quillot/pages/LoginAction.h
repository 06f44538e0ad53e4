#pragma once

#include "quillot/frame/PageAction.h"

// Without a POST: the sign-in form, with the database and company of the
// last sign-in as a suggestion. With one ("userid", "passwd", "dbname"):
// opens the company database, signs the user in and answers "ok:", or the
// message of "dbname" or "invalid".
class LoginAction : public PageAction {
public:
    void execute() override;

    // Whether a database name names a database of the server's data folder
    // and nothing else: no folders, no way up, no absolute path.
    static bool isDatabaseName(const tessel::String& name);

private:
    void _showForm();
    // The databases the server holds, offered by the form.
    void _listDatabases(tessel::Value* target);
    void _signIn(tessel::Value* post);
    bool _openDatabase(const tessel::String& dbname);
};
