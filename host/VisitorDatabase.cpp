#include "host/VisitorDatabase.h"

#include "tessel/web/HttpSession.h"

#include "dbdriver/SqliteSession.h"

namespace host {

const tessel::String& VisitorDatabase::attributeName()
{
    static const tessel::String name(u"host.database");
    return name;
}

IDbSession* VisitorDatabase::of(tessel::HttpSession& session, const tessel::String& dataFolder)
{
    if (auto* held = dynamic_cast<IDbSession*>(session.getAttribute(attributeName())))
        return held;
    tessel::Ref<IDbSession> made = new SqliteSession(dataFolder);
    session.setAttribute(attributeName(), made);
    return made;
}

} // namespace host
