#pragma once

#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The contact persons of one side's partners. A contact belongs to its
// partner: the partner's edit page changes and deletes only contacts of
// that partner (the statements name both keys). The contact pages find the
// partner by its name and make it when there is none, as documents do.
//
// Failure keys: "cntid", "cntct", the partner's name field ("splnm") or key
// ("splid"), "empty" (a list save without rows), "insert", "update",
// "delete", and the contact table's key ("zpcntc") for a statement of the
// partner's edit page that did not change exactly one row.
class ContactTable : public TableClass {
public:
    ContactTable(const PageAction& page, const Side& side);
    ContactTable(Beside beside, const Side& side);

    // The contact's row into `target` (with the partner's name as "pnm"
    // and the sex as "sexnm"); false without such a contact.
    bool load(int cntid, tessel::Value* target);
    // The list page of contacts with their partners' names.
    int listPage(tessel::Value* data);

    // The contact page's save: the partner by POST's name field, then an
    // update (cntid >= 1) or an insert.
    bool save(tessel::Value* fields);
    // The contact list's save: rows with "_type".
    bool saveList(tessel::Value* list);

    // One contact row of a partner's edit page.
    bool insertFor(int partnerId, tessel::Value* row);
    bool updateFor(int partnerId, tessel::Value* row);
    bool removeFor(int partnerId, int cntid);

    // Adds to every row of `rows` the text of its "sexty" code ("sexnm")
    // from the company tree's "sextype" list.
    static bool nameSexes(tessel::Value* company, tessel::Value* rows);

private:
    bool _check(tessel::Value* row, bool needsPartner);
    int _partnerOf(tessel::Value* row);
    bool _insert(int partnerId, tessel::Value* row, const char16_t* key);
    bool _update(int cntid, int partnerId, tessel::Value* row, bool samePartner, const char16_t* key);

    const Side& side_;
};
