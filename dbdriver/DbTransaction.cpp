#include "dbdriver/DbTransaction.h"

#include "dbdriver/IDbSession.h"

DbTransaction::DbTransaction(IDbSession* session) : session_(session)
{
    active_ = session_ && session_->beginTransaction();
}

DbTransaction::~DbTransaction()
{
    rollback();
}

bool DbTransaction::commit()
{
    if (!active_ || !session_->commitTransaction())
        return false;
    active_ = false;
    return true;
}

bool DbTransaction::rollback()
{
    if (!active_)
        return false;
    active_ = false;
    return session_->rollbackTransaction();
}
