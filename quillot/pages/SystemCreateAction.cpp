#include "quillot/pages/SystemCreateAction.h"

#include "quillot/frame/CompanyDatabase.h"
#include "quillot/pages/DemoTrade.h"
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
    bool demo = fields->getInt(u"demo") == 1;
    int64_t now = tessel::Date::ansiTime();
    String error = CompanyDatabase::create(db(), getFileSystem(), fields->getAt(u"dbname"), fields->getAt(u"company"),
                                           fields->getAt(u"passwd"), demo, now);
    if (error.empty() && demo) {
        DemoTrade trade(*this, tessel::Date(now));
        if (!trade.run())
            error = trade.error();
    }
    setError(error);
}
