#pragma once

#include "quillot/frame/PageAction.h"

// A new company database ("create"): its name, the company's name and the
// administrator's password come from the form; "demo" = 1 also fills it
// with demonstration partners and products and three months of trade. The
// database is made whole or not at all (a demonstration trade that fails
// takes the new file with it), and the visitor is then signed in to it as
// the administrator ("logfail" when that fails); after a failure the
// visitor keeps the database they had.
class SystemCreateAction : public PageAction {
public:
    void execute() override;

private:
    void _create();
    // Closes and removes the database just made.
    void _discard();
    void _restore(const tessel::String& previous);
};
