#include "quillot/pages/DatabaseSnapshot.h"

#include <random>

#include "dbdriver/SqliteSession.h"
#include "tessel/core/System.h"

using tessel::String;
using tessel::System;

namespace {

// The suffixes of the files a database is kept in.
const char16_t* const FILES[] = {u".db", u".db-wal", u".db-shm", u".db-journal"};

String randomName()
{
    std::random_device source;
    String name;
    name.format(u"snapshot-%08x%08x", source(), source());
    return name;
}

} // namespace

DatabaseSnapshot::DatabaseSnapshot(IDbSession* source, const String& folder) : folder_(folder), name_(randomName())
{
    if (!source || !source->isOpen() || !System::getInstance().createDirectory(folder, true))
        return;
    if (!source->backupTo(folder_ + u"/" + name_ + u".db")) {
        _remove();
        return;
    }
    copy_ = new SqliteSession(folder_);
    if (!copy_->open(name_))
        copy_.reset();
}

DatabaseSnapshot::~DatabaseSnapshot()
{
    if (copy_) {
        copy_->close();
        copy_.reset();
    }
    _remove();
}

IDbSession* DatabaseSnapshot::session() const
{
    return copy_.get();
}

void DatabaseSnapshot::_remove()
{
    for (const char16_t* suffix : FILES)
        System::getInstance().deleteFile(folder_ + u"/" + name_ + suffix);
}
