#pragma once

#include "quillot/frame/PageAction.h"

// Ends the visitor's session and sends the browser to the sign-in page.
class LogoutAction : public PageAction {
public:
    void execute() override;
};
