#include "quillot/pages/IndexAction.h"

#include "quillot/frame/SettingsTable.h"

namespace {
const PageRegistration<IndexAction> registration(u"Index");
} // namespace

void IndexAction::execute()
{
    int version = SettingsTable(db()).dataVersion();
    redirectTo(version >= SettingsTable::DATA_VERSION ? u"notice.htm" : u"SystemUpgrade.htm");
}
