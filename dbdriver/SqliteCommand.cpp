#include "dbdriver/SqliteCommand.h"

#include "dbdriver/SqliteSession.h"

SqliteCommand::SqliteCommand(SqliteSession* session) : session_(session) {}

bool SqliteCommand::executeQuery(IDbCursor** out)
{
    if (!out)
        return false;
    *out = nullptr;
    return session_ && session_->openPage(sql_, params_, offset_, limit_, out);
}
