#include "quillot/pages/SystemCreateAction.h"

#include "quillot/frame/CompanyDatabase.h"
#include "tessel/core/Date.h"

using tessel::String;
using tessel::Value;

void SystemCreateAction::execute()
{
    String cmd = form()->getAt(u"cmd");
    if (cmd == u"create")
        _create();
    else if (!cmd.empty())
        setError(u"Common.unknown");
}

void SystemCreateAction::_create()
{
    Value* fields = post();
    if (!fields) {
        setError(u"company");
        return;
    }
    String error = CompanyDatabase::create(db(), getFileSystem(), fields->getAt(u"dbname"), fields->getAt(u"company"),
                                           fields->getAt(u"passwd"), fields->getInt(u"demo") == 1,
                                           tessel::Date::ansiTime());
    setError(error);
}
