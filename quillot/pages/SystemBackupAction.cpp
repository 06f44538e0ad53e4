#include "quillot/pages/SystemBackupAction.h"

#include "dbdriver/DbTransaction.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/TableClass.h"
#include "quillot/pages/DatabaseBackup.h"
#include "tessel/core/Date.h"
#include "tessel/core/DateTime.h"

namespace {
const PageRegistration<SystemBackupAction> registration(u"SystemBackup");
} // namespace

using tessel::String;
using tessel::Value;

void SystemBackupAction::execute()
{
    runCommand<SystemBackupAction>(this, {{u"", &SystemBackupAction::_show},
                                          {u"save", &SystemBackupAction::_save},
                                          {u"backup", &SystemBackupAction::_backup}});
}

void SystemBackupAction::_show()
{
    SettingsTable settings(*this);
    Value* fields = form();
    int period = settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_PERIOD).toInteger();
    fields->insert(u"whenstart",
                   settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_REMINDER).toInteger() == 1 ? 1 : 0);
    fields->insert(u"folder", settings.getText(SettingsTable::BACKUP, SettingsTable::BACKUP_FOLDER));
    fields->insert(u"period", period > 0 ? period : 0);
    fields->insert(u"autobak", period > 0 ? 1 : 0);
    int64_t last = settings.getTime(SettingsTable::BACKUP, SettingsTable::BACKUP_LAST);
    if (last > 0)
        getValue()->insert(u"lastBackup", tessel::DateTime::dateOf(last));
    offerMessages();
}

void SystemBackupAction::_save()
{
    Value* fields = post();
    SettingsTable settings(*this);
    String folder = TableClass::textOf(fields, u"folder");
    if (!DatabaseBackup::isFolderName(folder)) {
        setError(u"folder");
        return;
    }
    int period = 0;
    if (fields && fields->getInt(u"autobak") != 0 &&
        (!settings.readInt(fields, u"period", period) || period < 1 || period > MAX_PERIOD)) {
        setError(u"period");
        return;
    }
    int reminder = fields && fields->getInt(u"whenstart") == 1 ? 1 : 0;
    DbTransaction transaction(db());
    bool saved = transaction.isActive() &&
                 settings.setInt(SettingsTable::BACKUP, SettingsTable::BACKUP_REMINDER, reminder) &&
                 settings.setText(SettingsTable::BACKUP, SettingsTable::BACKUP_FOLDER, folder) &&
                 settings.setInt(SettingsTable::BACKUP, SettingsTable::BACKUP_PERIOD, period) && transaction.commit();
    setError(saved ? String() : String(u"failed"));
}

void SystemBackupAction::_backup()
{
    String where;
    DatabaseBackup backup(*this);
    bool done = backup.backUp(tessel::Date::ansiTime(), where) == DatabaseBackup::DONE;
    String message = String(done ? DONE_TEXT : FAILED_TEXT) + where;
    if (form()->getInt(u"ajax") != 0) {
        setError(message);
        return;
    }
    getValue()->insert(u"info", message);
    getValue()->insert(u"done", done ? 1 : 0);
    setForward(u"message");
}
