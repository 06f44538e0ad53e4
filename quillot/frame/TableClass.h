#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class IDbSession;

// Base of every data-access class of the application: it works on the
// action's database session and keeps the key word of the last failure
// ("insert", a field name such as "splid"), which the page hands to
// HttpAction::setError. Every operation first checks that there is a
// session and gives false, 0 or an empty text without one.
class TableClass : public tessel::IObject {
public:
    // Rows of a list page; the product stock list shows more.
    static constexpr int PAGE_SIZE = 100;

    explicit TableClass(IDbSession* session, tessel::Value* company = nullptr);

    IDbSession* session() const { return session_; }
    tessel::Value* company() const { return company_; }
    const tessel::String& getError() const { return error_; }
    void setError(const tessel::String& key) { error_ = key; }
    // The key of the row inserted last by this object (0 before any).
    int lastId() const { return lastId_; }

    // One row into `target` as column/value children; false without a row.
    bool fetchRow(tessel::Value* target, const tessel::String& sql);
    // Rows "001", "002", ... (wider keys past 999 rows, so they stay in
    // order) into `target`; with a limit, each row also gets "state", the
    // word of its "stats" column. A limit of 0 lists every row.
    void listRows(tessel::Value* target, const tessel::String& sql, int limit, int offset);

    // The document number that the next document of a kind would get:
    // prefix, this month as "%Y%m", and the month's counter + 1 ("%03d").
    // Reading does not reserve it; see commitNumber.
    tessel::String nextNumber(int tableid);
    // Records `number` as the last one drawn for its kind; call it in the
    // transaction that saves the document.
    bool commitNumber(int tableid, const tessel::String& number);

    // Partner lookups by name and by key.
    int clientIdByName(const tessel::String& name);
    int supplierIdByName(const tessel::String& name);
    tessel::String clientName(int id);
    tessel::String supplierName(int id);

    // Replaces the text a drop-down showed in `target`'s `field` by the
    // option's code from the company tree's list `list` (empty when no
    // option has that text); nothing when the list is missing.
    void labelToCode(tessel::Value* target, const tessel::String& list, const tessel::String& field);
    // The company's name, address, bank and tax data (settings class 2) as
    // "company", "address", ... children of `target`.
    void companySettings(tessel::Value* target);

    // Long texts kept in settings rows of 250 characters each.
    bool saveLongText(int classid, const tessel::String& text);
    bool loadLongText(int classid, tessel::String& out);

protected:
    void setLastId(int id) { lastId_ = id; }

private:
    IDbSession* session_;
    tessel::Value* company_;
    tessel::String error_;
    int lastId_ = 0;
};
