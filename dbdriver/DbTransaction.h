#pragma once

class IDbSession;

// One transaction over a session, begun by the constructor (BEGIN
// IMMEDIATE, so that the write lock is taken at once). A session already in
// a transaction refuses a second one: the inner object is then inactive and
// its commit fails. Destroying an active transaction without commit rolls
// the work back.
class DbTransaction {
public:
    explicit DbTransaction(IDbSession* session);
    DbTransaction(const DbTransaction&) = delete;
    DbTransaction& operator=(const DbTransaction&) = delete;
    ~DbTransaction();

    bool isActive() const { return active_; }
    // False when the transaction never began or the commit failed; the
    // work is then rolled back on destruction.
    bool commit();
    bool rollback();

private:
    IDbSession* session_;
    bool active_ = false;
};
