#include "quillot/pages/LogoutAction.h"

#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

namespace {
const PageRegistration<LogoutAction> registration(u"Logout");
} // namespace

void LogoutAction::execute()
{
    getRequest().getSession().invalidate();
    redirectTo(u"login.htm");
}
