#pragma once

#include "quillot/frame/PageAction.h"

// Backups of the company database. Without a command the form shows the
// settings: "whenstart" (1: remind of a backup at sign-in), "folder" (a
// folder inside the data folder's backup area, empty for the area
// itself), "period" (days between automatic backups at sign-in) and
// "autobak" (whether there are any). "save" keeps them ("ok:"; "folder"
// for a name that is not a plain folder name, "period" for days that are
// not a whole number from 0 to MAX_PERIOD). "backup" makes a copy now
// (DatabaseBackup) and answers with a message that tells where: the whole
// answer for a script (FORM.ajax not 0), else the page "message" showing
// it as "info".
class SystemBackupAction : public PageAction {
public:
    static constexpr int MAX_PERIOD = 3650;
    static constexpr const char16_t* DONE_TEXT = u"数据已经备份到: ";
    static constexpr const char16_t* FAILED_TEXT = u"备份数据失败: ";

    void execute() override;

private:
    void _show();
    void _save();
    void _backup();
};
