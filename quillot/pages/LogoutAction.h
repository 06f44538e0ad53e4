#pragma once

#include "quillot/frame/PageAction.h"

// Ends the visitor's session and sends the browser to the sign-in page.
class LogoutAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"LogoutAction"; }
    void execute() override;
};
