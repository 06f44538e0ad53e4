#include "quillot/pages/SystemCompanyAction.h"

#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/CompanyData.h"

namespace {
const PageRegistration<SystemCompanyAction> registration(u"SystemCompany");
} // namespace

using tessel::String;
using tessel::Value;

void SystemCompanyAction::execute()
{
    runCommand<SystemCompanyAction>(this, {{u"", &SystemCompanyAction::_show}, {u"save", &SystemCompanyAction::_save}});
}

void SystemCompanyAction::_show()
{
    Value* fields = form();
    CompanyData(*this).companySettings(fields);
    if (fields->getAt(u"taxrate").empty())
        fields->insert(u"taxrate", DEFAULT_TAX_RATE);
    offerMessages();
}

void SystemCompanyAction::_save()
{
    CompanyData data(*this);
    if (!data.save(post())) {
        setError(data.getError());
        return;
    }
    // Only what was committed reaches the visitor, written as a sign-in
    // writes it.
    double factor = SettingsTable(*this).taxFactor();
    userState().setTaxFactor(factor);
    if (Value* tree = company()) {
        tree->insert(u"taxrate", factor, u"%0.4f", true);
        tree->insert(u"company", SettingsTable(*this).getText(SettingsTable::COMPANY, SettingsTable::COMPANY_NAME));
    }
    setError(String());
}
