#include "dbdriver/SqliteSession.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>

#include "dbdriver/SqliteAdmin.h"
#include "dbdriver/SqliteCommand.h"
#include "dbdriver/SqliteCursor.h"
#include "dbdriver/SqlText.h"

using tessel::Ref;
using tessel::String;

SqliteSession::SqliteSession(const String& dataFolder) : folder_(dataFolder.toStdString())
{
    if (folder_.empty())
        folder_ = ".";
}

SqliteSession::~SqliteSession()
{
    close();
}

bool SqliteSession::isBareName(const String& name)
{
    if (name.empty() || name.size() > MAX_NAME || name[0] == u'.' || name.indexOf(u"..") >= 0)
        return false;
    for (int i = 0; i < name.size(); i++) {
        char16_t c = name[i];
        if (c < 0x20 || c == 0x7f || c == u'/' || c == u'\\' || c == u':')
            return false;
    }
    return true;
}

std::string SqliteSession::pathOf(const String& name) const
{
    return folder_ + "/" + name.toStdString() + ".db";
}

bool SqliteSession::isOpen()
{
    return pool_.get() != nullptr;
}

namespace {

// A database and the files SQLite keeps beside it are taken only as they
// are in the folder: a link there could make the server read or write a
// file anywhere it may. The journal files need not be there yet.
bool isPlainFile(const std::string& path, bool mayBeMissing)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0)
        return mayBeMissing && errno == ENOENT;
    return S_ISREG(info.st_mode);
}

} // namespace

bool SqliteSession::exists(const String& dbname)
{
    return isBareName(dbname) && isPlainFile(pathOf(dbname), false);
}

bool SqliteSession::hasPlainFiles(const std::string& path)
{
    return isPlainFile(path, false) && isPlainFile(path + "-wal", true) && isPlainFile(path + "-shm", true) &&
           isPlainFile(path + "-journal", true);
}

bool SqliteSession::canSwitch()
{
    if (inTransaction()) {
        error_ = u"a transaction is open";
        return false;
    }
    return true;
}

bool SqliteSession::holdsConnection() const
{
    return connection_ && connection_->holder() == this;
}

bool SqliteSession::open(const String& dbname)
{
    if (!isBareName(dbname)) {
        error_ = u"not a database name";
        return false;
    }
    if (!canSwitch())
        return false;
    std::string path = pathOf(dbname);
    if (!hasPlainFiles(path)) {
        error_ = u"no such database";
        return false;
    }
    // A connection is taken now, so that a file that is not a database is
    // refused here and not at the first statement. It is held only once the
    // open database has been closed: it may be the one that database used.
    Ref<SqliteConnectionPool> pool;
    pool.adopt(SqliteConnectionPool::of(path));
    String error;
    Ref<SqliteConnection> lent = pool ? pool->lend(nullptr, nullptr, error) : nullptr;
    if (!lent) {
        error_ = pool ? error : String(u"no such database");
        return false;
    }
    close();
    pool_ = pool;
    hold(lent, dbname);
    return true;
}

void SqliteSession::adopt(SqliteConnection* connection, const String& name)
{
    close();
    pool_.adopt(SqliteConnectionPool::of(connection->getPath()));
    if (pool_)
        pool_->add(connection);
    hold(connection, name);
}

void SqliteSession::hold(SqliteConnection* connection, const String& name)
{
    connection->setHolder(this);
    connection_ = connection;
    name_ = name;
}

void SqliteSession::close()
{
    // A cursor may keep the connection alive after this: its transaction
    // must not live on with it.
    if (holdsConnection()) {
        if (connection_->inTransaction()) {
            String ignored;
            connection_->execute(u"ROLLBACK", ignored);
        }
        connection_->setHolder(nullptr);
    }
    connection_.reset();
    pool_.reset();
    name_.clear();
    sequence_ = 0;
    transaction_ = false;
    readTransaction_ = false;
}

const String& SqliteSession::getName(String& out)
{
    out = name_;
    return out;
}

const String& SqliteSession::getFileName(String& out)
{
    out = pool_ ? String::fromUTF8(pool_->getPath()) : String();
    return out;
}

String SqliteSession::escape(const String& text)
{
    return SqlText::escape(text);
}

int SqliteSession::getSequence(const String&)
{
    return static_cast<int>(sequence_);
}

bool SqliteSession::ready()
{
    if (!pool_) {
        error_ = u"no database is open";
        return false;
    }
    if (transaction_) {
        if (holdsConnection() && connection_->inTransaction())
            return true;
        error_ = u"the database abandoned the transaction; it must be rolled back";
        return false;
    }
    if (readTransaction_ && !(holdsConnection() && connection_->inTransaction()))
        readTransaction_ = false; // rolled back by the database
    SqliteConnection* lent = pool_->lend(connection_, this, error_);
    if (!lent)
        return false;
    connection_ = lent;
    return true;
}

bool SqliteSession::readyToChange()
{
    return ready() && endReadTransaction();
}

bool SqliteSession::prepare(const String& sql, const DbParams& params, SqliteStatement& statement)
{
    if (!ready() || !connection_->prepare(sql, params, statement, error_))
        return false;
    if (placeInReads(statement))
        return true;
    statement.reset();
    return false;
}

bool SqliteSession::placeInReads(const SqliteStatement& statement)
{
    if (!statement.isQuery())
        return endReadTransaction();
    if (!sharedReads_ || connection_->inTransaction())
        return true;
    if (!connection_->execute(u"BEGIN", error_))
        return false;
    readTransaction_ = true;
    return true;
}

// The read transaction holds no change: its commit only lets go of the
// database.
bool SqliteSession::endReadTransaction()
{
    if (!readTransaction_)
        return true;
    readTransaction_ = false;
    if (!holdsConnection() || !connection_->inTransaction())
        return true;
    if (connection_->execute(u"COMMIT", error_))
        return true;
    String ignored;
    connection_->execute(u"ROLLBACK", ignored);
    return false;
}

bool SqliteSession::run(SqliteStatement& statement, int64_t* changes)
{
    connection_->forgetLastInsert();
    bool ran = connection_->run(statement, error_, changes);
    if (int64_t key = connection_->lastInsertRowid())
        sequence_ = key;
    return ran;
}

bool SqliteSession::openPage(const String& sql, const DbParams& params, int offset, int limit, IDbCursor** out)
{
    if (!out)
        return false;
    *out = nullptr;
    SqliteStatement statement;
    if (!prepare(sql, params, statement))
        return false;
    if (statement.columnCount() == 0) {
        error_ = u"the statement is not a query";
        return false;
    }
    SqliteCursor* cursor = new SqliteCursor(this, std::move(statement), offset, limit);
    cursor->AddRef();
    *out = cursor;
    return true;
}

bool SqliteSession::openCursor(const String& sql, IDbCursor** out)
{
    return openPage(sql, DbParams(), 0, 0, out);
}

bool SqliteSession::openCursor(const String& sql, const DbParams& params, IDbCursor** out)
{
    return openPage(sql, params, 0, 0, out);
}

bool SqliteSession::executeCount(const String& sql, int* affected)
{
    return executeCount(sql, DbParams(), affected);
}

bool SqliteSession::executeCount(const String& sql, const DbParams& params, int* affected)
{
    if (affected)
        *affected = 0;
    SqliteStatement statement;
    int64_t changes = 0;
    if (!prepare(sql, params, statement) || !run(statement, &changes))
        return false;
    if (affected)
        *affected = static_cast<int>(changes);
    return true;
}

bool SqliteSession::execute(const String& sql)
{
    return execute(sql, DbParams());
}

bool SqliteSession::execute(const String& sql, const DbParams& params)
{
    SqliteStatement statement;
    return prepare(sql, params, statement) && run(statement, nullptr);
}

bool SqliteSession::firstValue(const String& sql, const DbParams& params, SqliteStatement& statement)
{
    if (!prepare(sql, params, statement))
        return false;
    int rc = statement.step();
    if (rc != SQLITE_ROW) {
        if (rc != SQLITE_DONE)
            error_ = statement.errorText();
        return false;
    }
    return !statement.isNull(0);
}

int SqliteSession::queryInt(const String& sql, int def)
{
    return queryInt(sql, DbParams(), def);
}

int SqliteSession::queryInt(const String& sql, const DbParams& params, int def)
{
    SqliteStatement statement;
    return firstValue(sql, params, statement) ? static_cast<int>(statement.int64At(0)) : def;
}

double SqliteSession::queryDouble(const String& sql, double def)
{
    return queryDouble(sql, DbParams(), def);
}

double SqliteSession::queryDouble(const String& sql, const DbParams& params, double def)
{
    SqliteStatement statement;
    return firstValue(sql, params, statement) ? statement.doubleAt(0) : def;
}

String& SqliteSession::queryString(String& out, const String& sql, const char16_t* def)
{
    return queryString(out, sql, DbParams(), def);
}

String& SqliteSession::queryString(String& out, const String& sql, const DbParams& params, const char16_t* def)
{
    SqliteStatement statement;
    if (firstValue(sql, params, statement))
        out = statement.text(0);
    else if (def)
        out = def;
    else
        out.clear();
    return out;
}

String& SqliteSession::getLastError(String& out)
{
    out = error_;
    return out;
}

bool SqliteSession::createCommand(IDbCommand** out)
{
    if (!out)
        return false;
    SqliteCommand* command = new SqliteCommand(this);
    command->AddRef();
    *out = command;
    return true;
}

bool SqliteSession::getAdmin(IDbAdmin** out)
{
    if (!out)
        return false;
    SqliteAdmin* admin = new SqliteAdmin(this);
    admin->AddRef();
    *out = admin;
    return true;
}

bool SqliteSession::beginTransaction()
{
    if (!readyToChange())
        return false;
    if (connection_->inTransaction()) {
        error_ = u"a transaction is already open";
        return false;
    }
    if (!connection_->execute(u"BEGIN IMMEDIATE", error_))
        return false;
    transaction_ = true;
    return true;
}

bool SqliteSession::commitTransaction()
{
    if (!transaction_) {
        error_ = u"no transaction is open";
        return false;
    }
    // Once the database has rolled the work back, the commit must fail; the
    // transaction stays marked until it is rolled back.
    if (!ready())
        return false;
    if (!connection_->execute(u"COMMIT", error_))
        return false;
    transaction_ = false;
    return true;
}

bool SqliteSession::rollbackTransaction()
{
    if (!transaction_)
        return false;
    transaction_ = false;
    if (holdsConnection() && connection_->inTransaction())
        return connection_->execute(u"ROLLBACK", error_);
    return true;
}

bool SqliteSession::inTransaction()
{
    return transaction_ || (holdsConnection() && connection_->inTransaction() && !readTransaction_);
}

void SqliteSession::beginReads()
{
    sharedReads_ = true;
}

void SqliteSession::endReads()
{
    sharedReads_ = false;
    endReadTransaction();
}

bool SqliteSession::backupTo(const String& path)
{
    if (!ready())
        return false;
    if (inTransaction()) {
        error_ = u"a backup cannot be made inside a transaction";
        return false;
    }
    return endReadTransaction() && connection_->backupTo(path.toStdString(), error_);
}
