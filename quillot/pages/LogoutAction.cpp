#include "quillot/pages/LogoutAction.h"

#include "tessel/web/HttpRequest.h"
#include "tessel/web/HttpSession.h"

void LogoutAction::execute()
{
    getRequest().getSession().invalidate();
    redirectTo(u"login.htm");
}
