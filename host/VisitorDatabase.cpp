#include "host/VisitorDatabase.h"

#include "tessel/web/HttpSession.h"

#include "dbdriver/SqliteSession.h"

namespace host {

const tessel::String& VisitorDatabase::attributeName()
{
    static const tessel::String name(u"host.database");
    return name;
}

IDbSession* VisitorDatabase::find(tessel::HttpSession& session)
{
    return dynamic_cast<IDbSession*>(session.getAttribute(attributeName()));
}

IDbSession* VisitorDatabase::make(const tessel::String& dataFolder)
{
    IDbSession* made = new SqliteSession(dataFolder);
    made->AddRef();
    return made;
}

void VisitorDatabase::keep(tessel::HttpSession& session, IDbSession* database)
{
    if (database && database->isOpen() && !find(session))
        session.setAttribute(attributeName(), database);
}

} // namespace host
