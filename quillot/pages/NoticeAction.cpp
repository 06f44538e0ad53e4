#include "quillot/pages/NoticeAction.h"

#include "quillot/pages/NoticeTable.h"

namespace {
const PageRegistration<NoticeAction> registration(u"Notice");
} // namespace

using tessel::String;
using tessel::Value;

void NoticeAction::execute()
{
    Value* tree = company();
    if (!tree)
        return;
    if (Value* fields = post())
        _saveSwitches(fields);

    Value* data = getValue();
    int days = NoticeTable::daysOf(form()->getAt(u"days"));
    data->insert(u"days", days);

    NoticeTable notices(*this);
    String path;
    for (int section = 1; section <= NoticeTable::SECTIONS; section++) {
        if (tree->getInt(path.format(u"notice.s%d", section)) == 0)
            continue;
        const char16_t* name = NoticeTable::sectionName(section);
        Value* rows = data->insert(name);
        if (!notices.listSection(section, days, rows)) {
            setError(notices.getError());
            return;
        }
        // The page's overview shows how much each section holds.
        data->insert(path.format(u"count.%s", name), rows->size());
    }
    data->insert(u"notice")->mergeWith(tree->find(u"notice"));
    _takeBackupReminder();
}

void NoticeAction::_saveSwitches(Value* fields)
{
    String name, path;
    for (int section = 1; section <= NoticeTable::SECTIONS; section++) {
        name.format(u"s%d", section);
        company()->insert(path.format(u"notice.s%d", section), fields->exists(name) ? u"1" : u"0");
    }
}

void NoticeAction::_takeBackupReminder()
{
    // The reminder shows once per sign-in.
    Value* tree = company();
    if (!tree->exists(u"backup"))
        return;
    String backup = tree->getAt(u"backup");
    tree->remove(u"backup");
    if (!backup.empty() && backup != u"0")
        getValue()->insert(u"backup", 1);
}
