#pragma once

#include "quillot/frame/PageAction.h"

// Switching the visitor to another company database of the data folder.
// Without a command the form suggests the database and company of the last
// sign-in and offers the databases there. "switch" ("database",
// "password") signs in to the other database as the administrator, as the
// sign-in page does: the whole session is then that database's. Refusals:
// "empty", "sameas" (the open one), "notexist", "login" (wrong password,
// counted as a failed sign-in), "throttled"; the database that was open
// stays open.
class SystemSwitchAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    void _switch();
    void _restore(const tessel::String& previous);
};
