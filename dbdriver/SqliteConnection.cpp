#include "dbdriver/SqliteConnection.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using tessel::Ref;
using tessel::String;

namespace {

String systemError(const char16_t* what)
{
    return String(what) + u": " + String::fromUTF8(std::strerror(errno));
}

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

std::string folderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A rename is durable only once the folder that holds the name is synced.
void syncFolder(const std::string& path)
{
    int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Creates the file, failing when it exists: the test and the creation are
// one step, so two sessions cannot both create the same database.
bool createExclusively(const std::string& path, String& error)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = errno == EEXIST ? String(u"the database already exists")
                                : systemError(u"cannot create the database file");
        return false;
    }
    ::close(fd);
    return true;
}

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

SqliteConnection::SqliteConnection(sqlite3* db, const std::string& path) : db_(db), path_(path) {}

SqliteConnection::~SqliteConnection()
{
    // No statement can be on loan here: every loan holds a reference.
    for (auto& entry : cache_)
        sqlite3_finalize(entry.second.statement);
    cache_.clear();
    sqlite3_close_v2(db_);
}

SqliteConnection* SqliteConnection::open(const std::string& path, Mode mode, String& error)
{
    if (mode == CREATE_NEW) {
        if (!createExclusively(path, error))
            return nullptr;
    } else if (!isRegularFile(path)) {
        error = u"the database does not exist";
        return nullptr;
    }
    // READWRITE without CREATE: SQLite never makes a file here.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        error = String::fromUTF8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        if (mode == CREATE_NEW)
            removeFiles(path);
        return nullptr;
    }
    Ref<SqliteConnection> connection(new SqliteConnection(db, path));
    if (!connection->configure(error)) {
        connection.reset();
        if (mode == CREATE_NEW)
            removeFiles(path);
        return nullptr;
    }
    return connection.detach();
}

bool SqliteConnection::configure(String& error)
{
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, BUSY_TIMEOUT_MS);
    if (sqlite3_db_readonly(db_, "main") == 1) {
        error = u"the database file is read-only";
        return false;
    }
    // WAL with full sync: a committed transaction survives a power cut.
    // The schema query fails on a file that is not a database.
    const char* setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;"
                        "SELECT count(*) FROM sqlite_schema;";
    if (sqlite3_exec(db_, setup, nullptr, nullptr, nullptr) != SQLITE_OK) {
        error = errorText();
        return false;
    }
    return true;
}

void SqliteConnection::removeFiles(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        ::unlink((path + suffix).c_str());
}

String SqliteConnection::errorText() const
{
    return String::fromUTF8(sqlite3_errmsg(db_));
}

bool SqliteConnection::inTransaction() const
{
    return sqlite3_get_autocommit(db_) == 0;
}

int64_t SqliteConnection::lastInsertRowid() const
{
    return sqlite3_last_insert_rowid(db_);
}

void SqliteConnection::forgetLastInsert()
{
    sqlite3_set_last_insert_rowid(db_, 0);
}

bool SqliteConnection::onlyBlanksAfter(const char16_t* tail, const char16_t* end)
{
    const char16_t* p = tail;
    while (p < end && (isBlank(*p) || *p == u';'))
        p++;
    if (p == end)
        return true;
    // What remains may still be comments only: SQLite compiles those to
    // no statement and consumes them whole.
    sqlite3_stmt* extra = nullptr;
    const void* after = nullptr;
    int rc = sqlite3_prepare16_v3(db_, p, static_cast<int>((end - p) * 2), 0, &extra, &after);
    if (extra) {
        sqlite3_finalize(extra);
        return false;
    }
    return rc == SQLITE_OK && after == end;
}

bool SqliteConnection::compile(const String& sql, unsigned flags, sqlite3_stmt** out, String& error)
{
    const char16_t* text = sql.c_str();
    const char16_t* end = text + sql.size();
    sqlite3_stmt* statement = nullptr;
    const void* tail = nullptr;
    int rc = sqlite3_prepare16_v3(db_, text, sql.size() * 2, flags, &statement, &tail);
    if (rc != SQLITE_OK) {
        error = errorText();
        return false;
    }
    if (!statement) {
        error = u"the SQL holds no statement";
        return false;
    }
    if (!onlyBlanksAfter(static_cast<const char16_t*>(tail), end)) {
        sqlite3_finalize(statement);
        error = u"only one SQL statement may be sent at a time";
        return false;
    }
    *out = statement;
    return true;
}

bool SqliteConnection::makeRoom()
{
    if (static_cast<int>(cache_.size()) < CACHE_SIZE)
        return true;
    auto oldest = cache_.end();
    for (auto it = cache_.begin(); it != cache_.end(); ++it)
        if (!it->second.onLoan && (oldest == cache_.end() || it->second.lastUse < oldest->second.lastUse))
            oldest = it;
    if (oldest == cache_.end())
        return false;
    sqlite3_finalize(oldest->second.statement);
    cache_.erase(oldest);
    return true;
}

bool SqliteConnection::prepare(const String& sql, SqliteStatement& out, String& error)
{
    std::u16string key(sql.c_str(), static_cast<size_t>(sql.size()));
    auto found = cache_.find(key);
    if (found != cache_.end() && !found->second.onLoan) {
        found->second.onLoan = true;
        found->second.lastUse = ++useClock_;
        lend(out, found->second.statement);
        return true;
    }
    bool keep = found == cache_.end() && makeRoom();
    sqlite3_stmt* statement = nullptr;
    if (!compile(sql, keep ? SQLITE_PREPARE_PERSISTENT : 0, &statement, error))
        return false;
    if (keep)
        cache_.emplace(std::move(key), Cached{statement, true, ++useClock_});
    lend(out, statement);
    return true;
}

void SqliteConnection::lend(SqliteStatement& out, sqlite3_stmt* statement)
{
    // The statement out's old loan, if any, goes back first.
    out = SqliteStatement(this, statement);
    loans_++;
}

void SqliteConnection::giveBack(sqlite3_stmt* statement)
{
    loans_--;
    for (auto& entry : cache_) {
        if (entry.second.statement == statement) {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
            entry.second.onLoan = false;
            return;
        }
    }
    sqlite3_finalize(statement);
}

bool SqliteConnection::prepare(const String& sql, const DbParams& params, SqliteStatement& out, String& error)
{
    if (!prepare(sql, out, error))
        return false;
    if (out.bind(params, error))
        return true;
    out.reset();
    return false;
}

bool SqliteConnection::execute(const String& sql, String& error, int64_t* changes)
{
    return execute(sql, DbParams(), error, changes);
}

bool SqliteConnection::execute(const String& sql, const DbParams& params, String& error, int64_t* changes)
{
    SqliteStatement statement;
    return prepare(sql, params, statement, error) && run(statement, error, changes);
}

bool SqliteConnection::run(SqliteStatement& statement, String& error, int64_t* changes)
{
    int64_t before = sqlite3_total_changes64(db_);
    if (!statement.run()) {
        error = errorText();
        return false;
    }
    // sqlite3_changes keeps the count of the last INSERT, UPDATE or DELETE,
    // so a statement that changed nothing must not report it.
    if (changes)
        *changes = sqlite3_total_changes64(db_) != before ? sqlite3_changes64(db_) : 0;
    return true;
}

bool SqliteConnection::isOwnFile(const std::string& target) const
{
    struct stat own, other;
    return ::stat(path_.c_str(), &own) == 0 && ::stat(target.c_str(), &other) == 0 && own.st_dev == other.st_dev &&
           own.st_ino == other.st_ino;
}

bool SqliteConnection::backupTo(const std::string& target, String& error)
{
    if (inTransaction()) {
        error = u"a backup cannot be made inside a transaction";
        return false;
    }
    if (target.empty() || isOwnFile(target)) {
        error = u"a database cannot be copied onto itself";
        return false;
    }
    // Copy into a file of its own first, so that a failed copy never
    // replaces a good backup of the same name.
    std::string temporary = target + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = systemError(u"cannot create the backup file");
        return false;
    }
    ::close(fd);
    sqlite3* copy = nullptr;
    bool ok = sqlite3_open_v2(temporary.c_str(), &copy, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_backup* backup = sqlite3_backup_init(copy, "main", db_, "main");
        ok = backup && sqlite3_backup_step(backup, -1) == SQLITE_DONE;
        ok = sqlite3_backup_finish(backup) == SQLITE_OK && ok;
    }
    if (!ok)
        error = copy ? String::fromUTF8(sqlite3_errmsg(copy)) : String(u"cannot open the backup file");
    if (sqlite3_close(copy) != SQLITE_OK && ok) {
        ok = false;
        error = u"cannot close the backup file";
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        ok = false;
        error = systemError(u"cannot put the backup in place");
    }
    if (!ok) {
        removeFiles(temporary);
        return false;
    }
    syncFolder(target);
    return true;
}
