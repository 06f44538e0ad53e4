#include "quillot/pages/SystemCreateAction.h"

#include "quillot/frame/CompanyDatabase.h"
#include "tessel/core/Date.h"

namespace {
const PageRegistration<SystemCreateAction> registration(u"SystemCreate");
} // namespace

using tessel::String;
using tessel::Value;

void SystemCreateAction::execute()
{
    runCommand<SystemCreateAction>(this, {{u"create", &SystemCreateAction::_create}});
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
