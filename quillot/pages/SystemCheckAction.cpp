#include "quillot/pages/SystemCheckAction.h"

#include <vector>

#include "quillot/frame/TableClass.h"
#include "quillot/pages/BooksCheck.h"

using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<SystemCheckAction> registration(u"SystemCheck");
} // namespace

void SystemCheckAction::execute()
{
    runCommand<SystemCheckAction>(this, {{u"", &SystemCheckAction::_show}, {u"text", &SystemCheckAction::_text}});
}

bool SystemCheckAction::_check(std::vector<String>& findings)
{
    BooksCheck check(*this);
    if (check.run(findings))
        return true;
    setError(check.getError());
    return false;
}

void SystemCheckAction::_show()
{
    std::vector<String> findings;
    if (!_check(findings))
        return;
    Value* list = getValue()->insert(u"findings");
    int count = static_cast<int>(findings.size());
    for (int i = 0; i < count; i++)
        list->insert(TableClass::rowKey(i + 1, count))->insert(u"text", findings[static_cast<size_t>(i)]);
    getValue()->insert(u"count", count);
}

void SystemCheckAction::_text()
{
    std::vector<String> findings;
    if (!_check(findings))
        return;
    String answer;
    answer.format(u"ok:%d", static_cast<int>(findings.size()));
    for (const String& finding : findings)
        answer += String(u"\n") + finding;
    setError(answer);
}
