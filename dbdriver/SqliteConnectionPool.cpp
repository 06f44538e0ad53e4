#include "dbdriver/SqliteConnectionPool.h"

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <thread>
#include <tuple>

using tessel::Ref;
using tessel::String;

// A pool is one thread's view of one file, the file known by its device
// and inode rather than by its name.
struct SqliteConnectionPool::Key {
    std::thread::id thread;
    dev_t device;
    ino_t inode;

    bool operator<(const Key& other) const
    {
        return std::tie(thread, device, inode) < std::tie(other.thread, other.device, other.inode);
    }
};

namespace {

// The live pools. A pool leaves as its last session closes, on whichever
// thread that happens, so the registry is shared and locked.
struct Registry {
    std::mutex lock;
    std::map<SqliteConnectionPool::Key, SqliteConnectionPool*> pools;
};

Registry& registry()
{
    static Registry registry;
    return registry;
}

} // namespace

SqliteConnectionPool::SqliteConnectionPool(const std::string& path, const Key& key) : path_(path), key_(&key) {}

SqliteConnectionPool::~SqliteConnectionPool()
{
    Registry& known = registry();
    std::lock_guard<std::mutex> guard(known.lock);
    known.pools.erase(*key_);
}

SqliteConnectionPool* SqliteConnectionPool::of(const std::string& path)
{
    struct stat file;
    if (::stat(path.c_str(), &file) != 0)
        return nullptr;
    Key key{std::this_thread::get_id(), file.st_dev, file.st_ino};
    Registry& known = registry();
    std::lock_guard<std::mutex> guard(known.lock);
    auto [entry, made] = known.pools.try_emplace(key, nullptr);
    if (made)
        entry->second = new SqliteConnectionPool(path, entry->first);
    entry->second->AddRef();
    return entry->second;
}

SqliteConnection* SqliteConnectionPool::idle() const
{
    for (const Ref<SqliteConnection>& connection : connections_)
        if (connection->isIdle())
            return connection.get();
    return nullptr;
}

SqliteConnection* SqliteConnectionPool::lend(SqliteConnection* held, const void* holder, String& error)
{
    if (held && held->holder() == holder)
        return held;
    SqliteConnection* connection = idle();
    if (!connection) {
        Ref<SqliteConnection> opened;
        opened.adopt(SqliteConnection::open(path_, SqliteConnection::OPEN_EXISTING, error));
        if (!opened)
            return nullptr;
        connections_.push_back(opened);
        connection = opened.get();
    }
    connection->setHolder(holder);
    return connection;
}

void SqliteConnectionPool::add(SqliteConnection* connection)
{
    if (connection)
        connections_.push_back(connection);
}
