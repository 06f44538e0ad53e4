#pragma once

#include "quillot/frame/PageAction.h"

// The company's own data and tax rate. Without a command the form shows
// what is stored ("taxrate" 17 until a rate is stored); "save" keeps the
// form's fields together and answers "ok:", after which the visitor's
// company name and tax factor are the new ones.
class SystemCompanyAction : public PageAction {
public:
    static constexpr const char16_t* DEFAULT_TAX_RATE = u"17";

    void execute() override;

private:
    void _show();
    void _save();
};
