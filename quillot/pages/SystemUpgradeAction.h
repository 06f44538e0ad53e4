#pragma once

#include "quillot/frame/PageAction.h"

// Bringing an older database to the current data version: first a backup
// copy into the data folder's backup folder ("backup"), then the upgrade
// itself ("upgrade"). Without a command the form shows where the copy goes
// and proposes its name.
class SystemUpgradeAction : public PageAction {
public:
    static constexpr const char16_t* BACKUP_FOLDER = u"backup";
    static constexpr const char16_t* COPY_SUFFIX = u".upgrade.db";

    void execute() override;

    // The folder the copies of the session's database go to:
    // "<data folder>/backup"; empty without an open database.
    static tessel::String backupFolder(IDbSession* session);
    // Copies the open database to `name` in the backup folder (".db"
    // appended unless the name ends so). `name` must be a bare file name.
    static bool backup(IDbSession* session, const tessel::String& name);

private:
    void _prepareForm();
    void _backup();
    void _upgrade();
};
