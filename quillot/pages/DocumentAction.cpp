#include "quillot/pages/DocumentAction.h"

#include "quillot/frame/TableClass.h"
#include "quillot/pages/PartnerTable.h"

using tessel::String;
using tessel::Value;

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

void DocumentAction::asNewLines(Value* list, std::initializer_list<const char16_t*> counters)
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
