#include "quillot/pages/DocumentAction.h"

#include "quillot/frame/StateOfFunction.h"
#include "quillot/frame/TableClass.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/DocumentTable.h"
#include "quillot/pages/PartnerTable.h"
#include "tessel/core/Date.h"

using tessel::String;
using tessel::Value;

namespace {
String today()
{
    return tessel::Date::getSystemDate().toString();
}
} // namespace

void DocumentAction::loadPartner()
{
    Value* fields = form();
    int id = fields->getInt(side().partnerKey);
    // A page opened for a partner by name ("?splnm=...") shows that one.
    String name = TableClass::textOf(fields, side().partnerName);
    if (id < 1 && !name.empty()) {
        id = TableClass(*this).partnerIdByName(side(), name);
        if (id >= 1)
            fields->insert(side().partnerKey, id);
    }
    if (id < 1)
        return;
    PartnerTable partners(*this, side());
    Value* partner = getValue()->insert(side().cacheWord);
    if (partners.load(id, partner))
        fields->insert(side().partnerName, partner->getAt(side().partnerName));
}

void DocumentAction::answer(bool done, const String& number, const String& error)
{
    setError(done ? String(u"ok:") + number : error);
}

bool DocumentAction::listOpen(int)
{
    return true;
}

void DocumentAction::showForm(DocumentTable& table, std::initializer_list<const char16_t*> counters)
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(table.numberField()));
    bool loaded = !number.empty() && _loadForEdit(table, number, fields->exists(u"copyadd"), counters);
    if (isAnswered())
        return;
    if (!loaded) {
        fields->insert(table.numberField(), table.nextDocumentNumber());
        fields->insert(u"excdt", today());
        if (company())
            fields->insert(u"crncy", company()->getAt(u"money.0"));
        prefillNew();
        if (isAnswered())
            return;
    }
    loadPartner();
    int partner = fields->getInt(side().partnerKey);
    if (partner >= 1)
        listOpen(partner);
}

bool DocumentAction::_loadForEdit(DocumentTable& table, const String& number, bool copy,
                                  std::initializer_list<const char16_t*> counters)
{
    Value* fields = form();
    if (!table.loadHeader(number, fields)) {
        if (!table.getError().empty())
            setError(table.getError());
        return false;
    }
    if (!table.listLines(number, getValue()->insert(u"list"))) {
        setError(table.getError());
        return false;
    }
    if (copy) {
        fields->insert(table.numberField(), table.nextDocumentNumber());
        fields->insert(u"excdt", today());
        fields->insert(u"stats", u"");
        _asNewLines(getValue()->find(u"list"), counters);
    } else {
        fields->insert(u"_exist", number);
    }
    return true;
}

void DocumentAction::_asNewLines(Value* list, std::initializer_list<const char16_t*> counters)
{
    String key;
    for (int i = 0; list && list->isMap(); i++) {
        Value* row = list->getIndex(i, key);
        if (!row)
            break;
        row->insert(u"linnm", u"");
        for (const char16_t* counter : counters)
            row->insert(counter, u"0");
    }
}

bool DocumentAction::showDocument(DocumentTable& table)
{
    describeSide();
    Value* fields = form();
    String number = TableClass::firstNumber(fields->getAt(table.numberField()));
    if (!table.loadHeader(number, fields)) {
        if (!table.getError().empty())
            setError(table.getError());
        return false;
    }
    getValue()->insert(u"state", StateOfFunction::nameOf(fields->getInt(u"stats")));
    if (!table.listLines(number, getValue()->insert(u"list"))) {
        setError(table.getError());
        return false;
    }
    loadPartner();
    return true;
}

void DocumentAction::reverseDocument(DocumentTable& table)
{
    bool reversed = table.reverse(form()->getAt(table.numberField()), userState().userId());
    answer(reversed, table.number(), table.getError());
}

void DocumentAction::removeDocument(DocumentTable& table)
{
    bool removed = table.remove(form()->getAt(table.numberField()), userState().userId());
    answer(removed, String(), table.getError());
}
