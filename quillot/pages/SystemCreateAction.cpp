#include "quillot/pages/SystemCreateAction.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/CompanyDatabase.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/DemoTrade.h"
#include "quillot/pages/UserCheck.h"
#include "tessel/core/Date.h"
#include "tessel/core/System.h"

namespace {
const PageRegistration<SystemCreateAction> registration(u"SystemCreate");
} // namespace

using tessel::Ref;
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
    String previous;
    if (db())
        db()->getName(previous);
    bool demo = fields->getInt(u"demo") == 1;
    int64_t now = tessel::Date::ansiTime();
    String error = CompanyDatabase::create(db(), getFileSystem(), fields->getAt(u"dbname"), fields->getAt(u"company"),
                                           fields->getAt(u"passwd"), demo, now);
    if (!error.empty()) {
        setError(error);
        return;
    }
    if (demo) {
        DemoTrade trade(*this, tessel::Date(now));
        if (!trade.run()) {
            _discard();
            _restore(previous);
            setError(trade.error());
            return;
        }
    }
    Ref<UserState> state = new UserState();
    Ref<Value> tree = UserCheck(db()).treeOf(UserCheck::ADMINISTRATOR, *state);
    if (!tree) {
        _restore(previous);
        setError(u"logfail");
        return;
    }
    UserCheck::admit(*this, tree, *state);
    setError(String());
}

void SystemCreateAction::_discard()
{
    String file;
    db()->getFileName(file);
    db()->close();
    if (file.empty())
        return;
    for (const char16_t* suffix : {u"", u"-wal", u"-shm", u"-journal"})
        tessel::System::getInstance().deleteFile(file + suffix);
}

void SystemCreateAction::_restore(const String& previous)
{
    if (previous.empty() || !db()->open(previous))
        db()->close();
}
