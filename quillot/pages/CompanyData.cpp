#include "quillot/pages/CompanyData.h"

#include "dbdriver/DbTransaction.h"
#include "quillot/frame/SettingsTable.h"

using tessel::String;
using tessel::Value;

const char16_t* const CompanyData::FIELD_NAMES[FIELDS] = {
    u"company", u"address", u"bankname", u"account", u"lisence", u"taxcode", u"phone", u"faxcode", u"taxrate",
};

CompanyData::CompanyData(const PageAction& page) : TableClass(page) {}

bool CompanyData::save(Value* fields)
{
    if (!session())
        return fail(u"failed");
    String texts[FIELDS];
    for (int i = 0; i < FIELDS; i++) {
        texts[i] = textOf(fields, FIELD_NAMES[i]);
        if (texts[i].size() > MAX_TEXT)
            return fail(FIELD_NAMES[i]);
    }
    double rate = 0;
    if (texts[0].empty())
        return fail(u"company");
    if (!SettingsTable::isTaxRate(texts[SettingsTable::COMPANY_TAX_RATE - 1], rate))
        return fail(u"taxrate");

    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"failed");
    SettingsTable settings(Beside{*this});
    for (int i = 0; i < FIELDS; i++)
        if (!settings.setText(SettingsTable::COMPANY, i + 1, texts[i]))
            return fail(FIELD_NAMES[i]);
    return transaction.commit() || fail(u"failed");
}
