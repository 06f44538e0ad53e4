#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class PageAction;
class PasswordCheck;
class UserState;

// Signs a user in to the open company database and builds the company's
// session tree, which every page then sees under "SESSION": who signed in,
// the company's name, tax factor and drop-down lists, the notice switches
// and texts. The sign-in page and switching databases sign in through this
// class; making a new database and importing data build the tree anew for
// the user they already know.
//
// Passwords are checked in code against the stored hash (PasswordHash),
// never compared in SQL; a row of an older database that still holds its
// password as plain text signs in once and is rewritten as a hash then.
class UserCheck : public TableClass {
public:
    // The administrator, whose row every database has; an empty user id
    // means this user.
    static constexpr const char16_t* ADMINISTRATOR = u"SYSTEM";

    explicit UserCheck(IDbSession* session);

    // The session tree of `userid` signed in with `password`, or null with
    // the error "invalid" when the user is unknown or the password wrong,
    // or "pending" when `check` left the password to the host (null: it is
    // checked here). `state` gets the user id, the tax factor and the time
    // the notice texts were last stored, only on success. Works inside the
    // caller's transaction when there is one.
    tessel::Ref<tessel::Value> signIn(const tessel::String& userid, const tessel::String& password, UserState& state,
                                      PasswordCheck* check = nullptr);
    // The session tree of `userid` without a password: for the
    // administrator of a database just made, or a visitor still signed in
    // whose data were replaced. Null, with the error "invalid", when the
    // database has no such user. Works inside the caller's transaction
    // when there is one.
    tessel::Ref<tessel::Value> treeOf(const tessel::String& userid, UserState& state);

    // Makes a tree and its state the visitor's: the tree (with the program's
    // version) becomes the session's "company", the state the visitor's
    // own, and the host window remembers the open database and the company
    // for the next sign-in form.
    static void admit(PageAction& page, tessel::Value* tree, const UserState& state);

private:
    bool _findUser(const tessel::String& userid, tessel::String& stored, tessel::String& fullname);
    tessel::Ref<tessel::Value> _build(const tessel::String& userid, const tessel::String& fullname, UserState& state);
    void _addCompany(tessel::Value* tree, UserState& state);
    static void _addSwitches(tessel::Value* tree);
    void _addNoticeTexts(tessel::Value* tree);
    // The time of this sign-in, and the hash that replaces a password
    // found as plain text or hashed at another cost.
    void _recordSignIn(const tessel::String& userid, const tessel::String& password, bool rehash);
};
