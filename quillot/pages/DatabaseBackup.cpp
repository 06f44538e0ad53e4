#include "quillot/pages/DatabaseBackup.h"

#include "dbdriver/IDbSession.h"
#include "dbdriver/SqliteSession.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/FailureLog.h"
#include "quillot/frame/SettingsTable.h"
#include "tessel/core/DateTime.h"
#include "tessel/core/System.h"

using tessel::String;
using tessel::System;

DatabaseBackup::DatabaseBackup(const PageAction& page) : TableClass(page) {}

bool DatabaseBackup::isFolderName(const String& name)
{
    return name.empty() || (name.size() <= MAX_FOLDER && SqliteSession::isBareName(name));
}

DatabaseBackup::Result DatabaseBackup::backUp(int64_t now, String& where)
{
    where = AREA;
    String file, name;
    System& host = System::getInstance();
    if (!session() || !session()->isOpen() || session()->getFileName(file).empty() || !host.isFile(file))
        return NO_DATABASE;
    session()->getName(name);
    SettingsTable settings(Beside{*this});
    String folder = settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_FOLDER).trim();
    if (!folder.empty())
        where += String(u"/") + folder;
    String path = CompanyDatabase::areaOf(session(), AREA);
    if (!folder.empty())
        path += String(u"/") + folder;
    if (!isFolderName(folder) || !host.createDirectory(path, true))
        return NO_FOLDER;
    String copy = name + tessel::DateTime(now).format(u".%Y%m%d.%H%M") + u".db";
    where += String(u"/") + copy;
    if (!session()->backupTo(path + u"/" + copy))
        return NOT_COPIED;
    settings.setTime(SettingsTable::BACKUP, SettingsTable::BACKUP_LAST, now);
    return DONE;
}

bool DatabaseBackup::backUpWhenDue(int64_t now)
{
    SettingsTable settings(Beside{*this});
    int days = settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_PERIOD).toInteger();
    if (!session() || days <= 0)
        return false;
    int64_t last = settings.getTime(SettingsTable::BACKUP, SettingsTable::BACKUP_LAST);
    if (last > 0 && last <= now && now - last < static_cast<int64_t>(days) * SECONDS_PER_DAY)
        return false;
    String where;
    if (backUp(now, where) == DONE)
        return true;
    String error;
    session()->getLastError(error);
    FailureLog::write(pageName(), String(u"automatic backup failed: ") + error, where);
    return false;
}
