#include "quillot/pages/SystemUpgradeAction.h"

#include "dbdriver/IDbSession.h"
#include "dbdriver/SqliteSession.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/SettingsTable.h"
#include "tessel/core/System.h"

namespace {
const PageRegistration<SystemUpgradeAction> registration(u"SystemUpgrade");
} // namespace

using tessel::String;
using tessel::System;
using tessel::Value;

void SystemUpgradeAction::execute()
{
    runCommand<SystemUpgradeAction>(this, {
                                              {u"", &SystemUpgradeAction::_prepareForm},
                                              {u"backup", &SystemUpgradeAction::_backup},
                                              {u"upgrade", &SystemUpgradeAction::_upgrade},
                                          });
}

void SystemUpgradeAction::_backup()
{
    setError(backup(db(), form()->getAt(u"dbname")) ? String() : String(u"failed"));
}

void SystemUpgradeAction::_upgrade()
{
    setError(SettingsTable(db(), company()).upgrade() ? String() : String(u"failed"));
}

void SystemUpgradeAction::_prepareForm()
{
    IDbSession* session = db();
    if (!session || !session->isOpen())
        return;
    String name;
    session->getName(name);
    Value* fields = form();
    fields->insert(u"folder", backupFolder(session));
    fields->insert(u"dbname", name + COPY_SUFFIX);
}

String SystemUpgradeAction::backupFolder(IDbSession* session)
{
    return CompanyDatabase::areaOf(session, BACKUP_FOLDER);
}

bool SystemUpgradeAction::backup(IDbSession* session, const String& name)
{
    // Only a name: the copy never lands outside the backup folder.
    String folder = backupFolder(session);
    if (folder.empty() || !SqliteSession::isBareName(name))
        return false;
    String target = folder + u"/" + name;
    if (!target.endsWith(u".db"))
        target += u".db";
    String own;
    session->getFileName(own);
    System& host = System::getInstance();
    if (target == own || !host.createDirectory(folder, true))
        return false;
    return session->backupTo(target);
}
