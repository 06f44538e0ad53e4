#pragma once

#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The partners of one side (suppliers or clients) with their contact
// persons: loading, the partner's documents, the statement of goods not yet
// invoiced, and every save.
//
// Partner names are the key that documents find partners by: a name is
// trimmed, and a second partner of the same side with the same name is
// refused ("exist"). A partner that has documents is never deleted
// ("delete"); one without is deleted together with its contacts. Every save
// runs in one transaction and leaves the key of its first failure: the
// name field ("splnm"), "exist", "cntid", "cntct", "delete", "insert",
// "update", or the contact table's key ("zpcntc") for a contact statement
// that did not change exactly one row.
class PartnerTable : public TableClass {
public:
    PartnerTable(const PageAction& page, const Side& side);
    PartnerTable(IDbSession* session, const Side& side, tessel::Value* company = nullptr);
    PartnerTable(Beside beside, const Side& side);

    const Side& side() const { return side_; }

    // The partner's row into `target`, with its key, name and type also as
    // "pid", "pnm" and "pty". False without such a partner.
    bool load(int id, tessel::Value* target);
    bool listContacts(int id, tessel::Value* target);
    // The partner's orders, invoices and payments, newest first.
    bool listOrders(int id, tessel::Value* target);
    bool listInvoices(int id, tessel::Value* target);
    bool listPayments(int id, tessel::Value* target);
    // The goods received from (or shipped to) the partner on orders with
    // tax and not yet invoiced, each line with its open quantity and
    // "pramt" (taken times `taxFactor` when the order line's price excludes
    // tax, two decimals); "TOP.invoices" of `target` gets their sum.
    bool listUninvoiced(int id, double taxFactor, tessel::Value* target);
    // The list page of partners (FORM.filter, FORM.page).
    int listPage(tessel::Value* data);

    // The partner of this name (trimmed), made when there is none; in its
    // own transaction unless the caller has one. 0 for an empty name or a
    // failure.
    int createByName(const tessel::String& name);

    // The edit page's save: the partner's fields and its contacts
    // (POST.list rows with "_type" "create", "update" or "delete").
    bool insert(tessel::Value* fields);
    bool update(tessel::Value* fields);
    // The list page's save: rows of partners with "_type".
    bool saveList(tessel::Value* list);

    // Whether any order, stock movement, invoice or payment names the
    // partner.
    bool hasDocuments(int id);

private:
    struct Fields;

    bool _readFields(tessel::Value* source, Fields& out);
    bool _nameIsFree(const tessel::String& name, int exceptId);
    bool _insertRow(const Fields& fields);
    bool _updateRow(int id, const Fields& fields, bool withState);
    bool _deleteRow(int id);
    bool _checkContacts(tessel::Value* list);
    bool _saveContacts(int id, tessel::Value* list, bool newPartner);
    bool _commit(class DbTransaction& transaction);

    const Side& side_;
};
