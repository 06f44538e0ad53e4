#pragma once

#include "quillot/frame/PageAction.h"

// The pages around signing in: the sign-in itself, signing out, the home
// page that sends the user on, the due-date notices, the clock and the
// options page.

// Without a POST: the sign-in form, with the database and company of the
// last sign-in as a suggestion. With one ("userid", "passwd", "dbname"):
// opens the company database, signs the user in and answers "ok:", or the
// message of "dbname" or "invalid".
class LoginAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"LoginAction"; }
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

// Ends the visitor's session and sends the browser to the sign-in page.
class LogoutAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"LogoutAction"; }
    void execute() override;
};

// The home page: the notices, or the upgrade page while the database is of
// an older data version.
class IndexAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"IndexAction"; }
    void execute() override;
};

// What is due: order lines to confirm, ship, receive and invoice, payments
// to collect and make, and products to reorder, each section switched on or
// off by the user; "days" limits the dated sections to what falls due
// within that many days.
class NoticeAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"NoticeAction"; }
    void execute() override;

private:
    void _saveSwitches(tessel::Value* post);
    void _takeBackupReminder();
};

// The current time "%H:%M", for the page clock.
class HourlyAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"HourlyAction"; }
    void execute() override;
};

// The options page: its template alone.
class OptionsAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"OptionsAction"; }
};
