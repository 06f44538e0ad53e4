#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/Value.h"

// The company's own data (settings class 2): its name, address, bank and
// account, business licence, tax code, telephone, fax and tax rate, kept
// under the names 1 to 9 in that order and saved together.
class CompanyData : public TableClass {
public:
    // The fields of the form, in the order of their setting names.
    static constexpr int FIELDS = 9;
    static const char16_t* const FIELD_NAMES[FIELDS];
    // The longest text a field takes.
    static constexpr int MAX_TEXT = 200;

    explicit CompanyData(const PageAction& page);

    // Saves the fields in one transaction: the name must not be empty
    // ("company"), the tax rate must be a number from 0 to 100
    // ("taxrate"), no text may be longer than MAX_TEXT (its field); a
    // setting that cannot be written fails with its field's name and
    // nothing is kept.
    bool save(tessel::Value* fields);
};
