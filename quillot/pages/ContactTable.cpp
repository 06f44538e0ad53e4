#include "quillot/pages/ContactTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/pages/PartnerTable.h"

using tessel::String;
using tessel::Value;

namespace {

// The contact's own text columns, in the order the statements bind them.
const char16_t* const TEXT_COLUMNS[] = {u"jobtl", u"tlphn", u"hmphn", u"mobil", u"faxcd", u"malbx", u"instn"};

const char16_t* const INSERT_SQL =
    u"INSERT INTO {contacts}({pkey}, cntct, sexty, jobtl, tlphn, hmphn, mobil, faxcd, malbx, instn) "
    u"VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

// The partner's edit page names the partner too, so that a form cannot
// reach another partner's contact; the contact pages may move a contact to
// another partner.
const char16_t* const UPDATE_OWN_SQL =
    u"UPDATE {contacts} SET {pkey} = ?, cntct = ?, sexty = ?, jobtl = ?, tlphn = ?, hmphn = ?, mobil = ?, "
    u"faxcd = ?, malbx = ?, instn = ? WHERE cntid = ? AND {pkey} = ?";
const char16_t* const UPDATE_SQL =
    u"UPDATE {contacts} SET {pkey} = ?, cntct = ?, sexty = ?, jobtl = ?, tlphn = ?, hmphn = ?, mobil = ?, "
    u"faxcd = ?, malbx = ?, instn = ? WHERE cntid = ?";

String trimmed(Value* row, const char16_t* name)
{
    return TableClass::textOf(row, name);
}

// The values of a contact row after its partner: name, sex code, texts.
DbParams contactParams(int partnerId, Value* row)
{
    DbParams params{partnerId, trimmed(row, u"cntct"), row->getInt(u"sexty")};
    for (const char16_t* column : TEXT_COLUMNS)
        params.add(trimmed(row, column));
    return params;
}

// The text of a row's sex code, from the company tree's "sextype" list.
void nameSex(Value* sexes, Value* row)
{
    String code = row->getAt(u"sexty");
    row->insert(u"sexnm", sexes && sexes->isMap() && !code.empty() ? sexes->getAt(code) : String());
}

Value* sexesOf(Value* company)
{
    return company ? company->find(u"sextype") : nullptr;
}

} // namespace

ContactTable::ContactTable(const PageAction& page, const Side& side) : TableClass(page), side_(side) {}

ContactTable::ContactTable(Beside beside, const Side& side) : TableClass(beside), side_(side) {}

bool ContactTable::nameSexes(Value* company, Value* rows)
{
    String key;
    for (int i = 0; rows && rows->isMap(); i++) {
        Value* row = rows->getIndex(i, key);
        if (!row)
            break;
        nameSex(sexesOf(company), row);
    }
    return true;
}

bool ContactTable::load(int cntid, Value* target)
{
    if (cntid < 1)
        return false;
    bool found = fetchRow(target,
                          side_.sql(
                              u"SELECT c.cntid, c.{pkey}, c.cntct, c.sexty, c.jobtl, c.tlphn, c.hmphn, c.mobil, "
                              u"c.faxcd, c.malbx, c.instn, c.{pkey} AS pid, s.{pname}, s.{pname} AS pnm "
                              u"FROM {contacts} c LEFT JOIN {partners} s ON c.{pkey} = s.{pkey} WHERE c.cntid = ?"),
                          {cntid});
    if (found)
        nameSex(sexesOf(company()), target);
    return found;
}

int ContactTable::listPage(Value* data)
{
    ListQuery query(side_.sql(u"c.{pkey}, c.cntct, c.cntid, c.sexty, c.jobtl, c.tlphn, c.hmphn, c.mobil, c.faxcd, "
                              u"c.malbx, c.instn, s.{pname}, c.{pkey} AS pid, s.{pname} AS pnm"),
                    side_.sql(u"FROM {contacts} c LEFT JOIN {partners} s ON c.{pkey} = s.{pkey}"),
                    side_.sql(u" ORDER BY s.{pname}, c.cntct, c.cntid"),
                    {u"c.cntct", u"c.jobtl", u"c.tlphn", u"c.mobil", u"c.malbx", u"c.splid", u"c.cltid", u"s.splnm",
                     u"s.cltnm"});
    int pages = TableClass::listPage(data, query);
    if (pages >= 0)
        nameSexes(company(), data->find(u"list"));
    return pages;
}

bool ContactTable::_check(Value* row, bool needsPartner)
{
    if (trimmed(row, u"cntct").empty())
        return fail(u"cntct");
    if (needsPartner && trimmed(row, side_.partnerName).empty() && row->getInt(side_.partnerKey) < 1)
        return fail(side_.partnerName);
    labelToCode(row, u"sextype", u"sexty");
    return true;
}

// The partner a contact page names: by name (made when missing), else by
// key. 0 when there is none.
int ContactTable::_partnerOf(Value* row)
{
    String name = trimmed(row, side_.partnerName);
    if (name.empty()) {
        int id = row->getInt(side_.partnerKey);
        return partnerName(side_, id).empty() ? 0 : id;
    }
    PartnerTable partners(Beside{*this}, side_);
    int id = partners.createByName(name);
    if (id < 1)
        fail(partners.getError());
    return id;
}

bool ContactTable::_insert(int partnerId, Value* row, const char16_t* key)
{
    if (!changeOne(side_.sql(INSERT_SQL), contactParams(partnerId, row), key))
        return false;
    setLastId(session()->getSequence(side_.contactSequence));
    return true;
}

bool ContactTable::_update(int cntid, int partnerId, Value* row, bool samePartner, const char16_t* key)
{
    if (cntid < 1)
        return fail(u"cntid");
    DbParams params = contactParams(partnerId, row);
    params.add(cntid);
    if (samePartner)
        params.add(partnerId);
    return changeOne(side_.sql(samePartner ? UPDATE_OWN_SQL : UPDATE_SQL), params, key);
}

bool ContactTable::insertFor(int partnerId, Value* row)
{
    return _check(row, false) && _insert(partnerId, row, Side::keyOf(side_.contactTable).c_str());
}

bool ContactTable::updateFor(int partnerId, Value* row)
{
    return _check(row, false) &&
           _update(row->getInt(u"cntid"), partnerId, row, true, Side::keyOf(side_.contactTable).c_str());
}

bool ContactTable::removeFor(int partnerId, int cntid)
{
    if (cntid < 1)
        return fail(u"cntid");
    return changeOne(side_.sql(u"DELETE FROM {contacts} WHERE cntid = ? AND {pkey} = ?"), {cntid, partnerId},
                     Side::keyOf(side_.contactTable).c_str());
}

bool ContactTable::save(Value* fields)
{
    if (!session() || !fields || !_check(fields, true))
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    int partnerId = _partnerOf(fields);
    if (partnerId < 1)
        return fail(side_.partnerName);
    fields->insert(side_.partnerKey, partnerId);
    int cntid = fields->getInt(u"cntid");
    bool saved = cntid >= 1 ? _update(cntid, partnerId, fields, false, u"update")
                            : _insert(partnerId, fields, u"insert");
    return saved && (transaction.commit() || fail(u"update"));
}

bool ContactTable::saveList(Value* list)
{
    return saveRows(
        list, u"cntid", [this](Value* row, RowKind kind) { return kind == ROW_DELETE || _check(row, true); },
        [this](Value* row, RowKind kind) {
            if (kind == ROW_DELETE)
                return changeOne(side_.sql(u"DELETE FROM {contacts} WHERE cntid = ?"), {row->getInt(u"cntid")},
                                 u"delete");
            int partnerId = _partnerOf(row);
            if (partnerId < 1)
                return fail(side_.partnerKey);
            return kind == ROW_UPDATE ? _update(row->getInt(u"cntid"), partnerId, row, false, u"update")
                                      : _insert(partnerId, row, u"insert");
        });
}
