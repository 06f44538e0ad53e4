#pragma once

#include "quillot/frame/PageAction.h"

// A user's new password ("passwd": "userid", empty for the administrator,
// "oldpass" and "newpass"), through PasswordChange. A wrong old password
// counts as a failed sign-in of that user, so that passwords cannot be
// guessed here faster than at the sign-in page ("throttled").
class SystemPasswordAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    void _change();
};
