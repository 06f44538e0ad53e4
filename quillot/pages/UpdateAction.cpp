#include "quillot/pages/UpdateAction.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/Application.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"
#include "tessel/core/Date.h"

namespace {
const PageRegistration<UpdateAction> registration(u"Update");
} // namespace

using tessel::Date;
using tessel::String;
using tessel::Value;

void UpdateAction::execute()
{
    runCommand<UpdateAction>(this, {
                                       {u"save", &UpdateAction::_save},
                                       {u"info1", &UpdateAction::_info1},
                                       {u"info2", &UpdateAction::_info2},
                                   });
}

void UpdateAction::_info1()
{
    _info(SettingsTable::NOTICE_1, true);
}

void UpdateAction::_info2()
{
    _info(SettingsTable::NOTICE_2, false);
}

// The page sends each text as Base64 of its UTF-8 bytes; the texts are
// stored decoded, together with the time they were stored. The answer is
// "failed" unless a text was stored.
void UpdateAction::_save()
{
    IDbSession* session = db();
    if (!session || !session->isOpen()) {
        setError(u"failed");
        return;
    }
    SettingsTable settings(session, company());
    DbTransaction transaction(session);
    int stored = 0;
    bool failed = !transaction.isActive();
    const struct {
        const char16_t* field;
        int classid;
    } notices[] = {{u"other1", SettingsTable::NOTICE_1}, {u"other2", SettingsTable::NOTICE_2}};
    for (const auto& notice : notices) {
        String sent = form()->getAt(notice.field);
        if (failed || sent.empty())
            continue;
        if (settings.saveLongText(notice.classid, SettingsTable::decodeNotice(sent)))
            stored++;
        else
            failed = true;
    }
    int64_t now = Date::ansiTime();
    if (failed || stored == 0 || !settings.setTime(SettingsTable::SYSTEM, SettingsTable::SYSTEM_NOTICE_TIME, now) ||
        !transaction.commit()) {
        setError(u"failed");
        return;
    }
    userState().setLastNoticeTime(now);
    setError(String());
}

void UpdateAction::_info(int classid, bool withVersion)
{
    SettingsTable settings(db(), company());
    Value* data = getValue();
    if (withVersion) {
        // Another visitor of the database may have stored the texts since
        // this one signed in: the database's time counts as well.
        int64_t last = userState().lastNoticeTime();
        int64_t stored = settings.getTime(SettingsTable::SYSTEM, SettingsTable::SYSTEM_NOTICE_TIME);
        if (stored > last)
            last = stored;
        if (Date::ansiTime() - last > STALE_AFTER)
            data->insert(u"version", Application::version());
    }
    String content;
    if (settings.loadLongText(classid, content))
        data->insert(u"content", content);
}
