#include "quillot/pages/PartnerTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DocumentState.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/Rounding.h"
#include "quillot/pages/ContactTable.h"

using tessel::String;
using tessel::Value;

namespace {

// The columns both sides share, in the order the statements bind them.
const char16_t* const SHARED_COLUMNS[] = {u"cntct", u"tlphn", u"faxcd", u"webst", u"adres",
                                          u"bnknm", u"accnt", u"taxcd", u"zonnm", u"rmrks"};
constexpr int SHARED_COUNT = sizeof SHARED_COLUMNS / sizeof SHARED_COLUMNS[0];

const char16_t* const ROW_COLUMNS =
    u"{pkey}, {pname}, {ptype}, {pkey} AS pid, {pname} AS pnm, {ptype} AS pty, cntct, tlphn, faxcd, webst, adres, "
    u"bnknm, accnt, taxcd, zonnm, rmrks, stats";

const char16_t* const INSERT_SQL =
    u"INSERT INTO {partners}({pname}, {ptype}, cntct, tlphn, faxcd, webst, adres, bnknm, accnt, taxcd, zonnm, rmrks, "
    u"stats) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";

const char16_t* const UPDATE_SQL =
    u"UPDATE {partners} SET {pname} = ?, {ptype} = ?, cntct = ?, tlphn = ?, faxcd = ?, webst = ?, adres = ?, "
    u"bnknm = ?, accnt = ?, taxcd = ?, zonnm = ?, rmrks = ?, stats = coalesce(?, stats) WHERE {pkey} = ?";

// The documents that name a partner: while one does, the partner stays.
const char16_t* const DOCUMENTS_SQL =
    u"SELECT (SELECT count(*) FROM {orders} WHERE {pkey} = ?1) + (SELECT count(*) FROM {moves} WHERE {pkey} = ?1)"
    u" + (SELECT count(*) FROM {invoices} WHERE {pkey} = ?1) + (SELECT count(*) FROM {payments} WHERE {pkey} = ?1)";

const char16_t* const UNINVOICED_SQL =
    u"SELECT d.orgid as ordid, d.prdnm, d.specs, d.other, d.unitg, d.qunty - d.invcs as qunty, d.itmpr, d.rmrks, "
    u"t.excdt, p.taxrt FROM {moveLines} d INNER JOIN {moves} t ON d.{mkey} = t.{mkey} "
    u"INNER JOIN {orders} o ON d.orgid = o.ordid "
    u"LEFT JOIN {orderLines} p ON d.orgid = p.ordid AND d.orgln = p.linnm "
    u"WHERE t.{pkey} = ? AND t.stats IN(1, 2, 3) AND d.qunty > d.invcs AND o.taxrt = 1 "
    u"ORDER BY t.excdt, d.{mkey}, d.linnm";

} // namespace

struct PartnerTable::Fields {
    String name;
    int type = 0;
    String shared[SHARED_COUNT];
    DbParam state; // NULL: keep the stored state
};

PartnerTable::PartnerTable(const PageAction& page, const Side& side) : TableClass(page), side_(side) {}

PartnerTable::PartnerTable(IDbSession* session, const Side& side, Value* company)
    : TableClass(session, company), side_(side)
{
}

PartnerTable::PartnerTable(Beside beside, const Side& side) : TableClass(beside), side_(side) {}

// ------------------------------------------------------------------ reads

bool PartnerTable::load(int id, Value* target)
{
    if (id < 1)
        return false;
    return fetchRow(target,
                    side_.sql((String(u"SELECT ") + ROW_COLUMNS + u" FROM {partners} WHERE {pkey} = ?").c_str()), {id});
}

bool PartnerTable::listContacts(int id, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT {pkey}, cntid, cntct, sexty, jobtl, tlphn, hmphn, mobil, faxcd, malbx, instn "
                              u"FROM {contacts} WHERE {pkey} = ? ORDER BY cntid"),
                    0, 0, {id}) &&
           ContactTable::nameSexes(company(), target);
}

bool PartnerTable::listOrders(int id, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT t.{pkey}, t.ordid, t.cntrc, t.crncy, t.excdt, t.stats, t.amont, t.paids, "
                              u"d.linnm, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.ldngs, d.invcs, d.itmpr, "
                              u"d.taxrt, d.pramt, d.plndt, d.shpdt FROM {orders} t, {orderLines} d "
                              u"WHERE t.{pkey} = ? AND t.ordid = d.ordid ORDER BY t.excdt DESC, t.ordid DESC, d.linnm"),
                    0, 0, {id});
}

bool PartnerTable::listInvoices(int id, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT t.{pkey}, t.invid, t.invty, t.bilid, t.crncy, t.excdt, t.eacnt, t.etxcd, "
                              u"t.stats, d.linnm, d.prdnm, d.specs, d.other, d.unitg, d.qunty, d.itmpr, d.pramt, "
                              u"d.rmrks FROM {invoices} t, {invoiceLines} d WHERE t.{pkey} = ? AND t.invid = d.invid "
                              u"ORDER BY t.excdt DESC, t.invid DESC, d.linnm"),
                    0, 0, {id});
}

bool PartnerTable::listPayments(int id, Value* target)
{
    return listRows(target,
                    side_.sql(u"SELECT {pkey}, pymid, bilid, crncy, payty, excdt, amont, stats FROM {payments} "
                              u"WHERE {pkey} = ? ORDER BY excdt DESC, pymid DESC"),
                    0, 0, {id});
}

bool PartnerTable::listUninvoiced(int id, double taxFactor, Value* target)
{
    if (!target || !listRows(target, side_.sql(UNINVOICED_SQL), 0, 0, {id}))
        return false;
    double total = 0;
    String key;
    for (int i = 0; Value* row = target->getIndex(i, key); i++) {
        double amount = row->getDouble(u"itmpr") * row->getDouble(u"qunty");
        if (row->getInt(u"taxrt") == 0)
            amount *= taxFactor;
        amount = Rounding::money(amount);
        total += amount;
        row->insert(u"pramt", Rounding::text(amount, Rounding::MONEY));
    }
    target->insert(u"TOP.invoices", Rounding::text(total, Rounding::MONEY));
    return true;
}

int PartnerTable::listPage(Value* data)
{
    ListQuery query(side_.sql(ROW_COLUMNS), side_.sql(u"FROM {partners}"), side_.sql(u" ORDER BY {pname}, {pkey}"),
                    {u"cntct", u"tlphn", u"faxcd", u"webst", u"adres", u"bnknm", u"accnt", u"taxcd", u"zonnm", u"rmrks",
                     u"stats", u"splid", u"splnm", u"splty", u"cltid", u"cltnm", u"cltty"});
    return TableClass::listPage(data, query);
}

// ------------------------------------------------------------ creation

int PartnerTable::createByName(const String& name)
{
    String trimmed(name);
    trimmed.trim();
    if (trimmed.empty() || !session()) {
        fail(side_.partnerName);
        return 0;
    }
    int existing = partnerIdByName(side_, trimmed);
    if (existing > 0)
        return existing;
    bool own = !session()->inTransaction();
    DbTransaction transaction(own ? session() : nullptr);
    if (own && !transaction.isActive()) {
        fail(u"insert");
        return 0;
    }
    if (!changeOne(side_.sql(u"INSERT INTO {partners}({pname}, stats) VALUES(?, ?)"), {trimmed, STATE_NEW}, u"insert"))
        return 0;
    int id = session()->getSequence(side_.partnerSequence);
    if (id < 1 || (own && !transaction.commit())) {
        fail(u"insert");
        return 0;
    }
    setLastId(id);
    dropNameCache(side_);
    return id;
}

// --------------------------------------------------------------- saves

bool PartnerTable::_readFields(Value* source, Fields& out)
{
    out.name = textOf(source, side_.partnerName);
    if (out.name.empty())
        return fail(side_.partnerName);
    if (!readInt(source, side_.partnerType, out.type))
        return false;
    for (int i = 0; i < SHARED_COUNT; i++) {
        out.shared[i] = textOf(source, SHARED_COLUMNS[i]);
    }
    out.state = DbParam::null();
    if (source->exists(u"stats")) {
        int state = 0;
        if (!readInt(source, u"stats", state))
            return false;
        out.state = state == STATE_NEW ? STATE_NEW : STATE_NONE;
    }
    return true;
}

bool PartnerTable::_nameIsFree(const String& name, int exceptId)
{
    int taken = session()->queryInt(side_.sql(u"SELECT count(*) FROM {partners} WHERE {pname} = ? AND {pkey} <> ?"),
                                    {name, exceptId}, -1);
    return taken == 0 || fail(taken < 0 ? u"insert" : u"exist");
}

bool PartnerTable::_insertRow(const Fields& fields)
{
    if (!_nameIsFree(fields.name, 0))
        return false;
    DbParams params{fields.name, fields.type};
    for (const String& text : fields.shared)
        params.add(text);
    // A new partner is enabled unless the form says otherwise.
    params.add(fields.state.kind() == DbParam::NONE ? DbParam(STATE_NEW) : fields.state);
    if (!changeOne(side_.sql(INSERT_SQL), params, u"insert"))
        return false;
    setLastId(session()->getSequence(side_.partnerSequence));
    return lastId() > 0 || fail(u"insert");
}

bool PartnerTable::_updateRow(int id, const Fields& fields, bool withState)
{
    if (id < 1)
        return fail(side_.partnerKey);
    if (!_nameIsFree(fields.name, id))
        return false;
    DbParams params{fields.name, fields.type};
    for (const String& text : fields.shared)
        params.add(text);
    params.add(withState ? fields.state : DbParam::null());
    params.add(id);
    return changeOne(side_.sql(UPDATE_SQL), params, u"update");
}

bool PartnerTable::hasDocuments(int id)
{
    return session() && session()->queryInt(side_.sql(DOCUMENTS_SQL), {id}, 1) != 0;
}

bool PartnerTable::_deleteRow(int id)
{
    if (id < 1)
        return fail(side_.partnerKey);
    if (hasDocuments(id))
        return fail(u"delete");
    return run(side_.sql(u"DELETE FROM {contacts} WHERE {pkey} = ?"), {id}, u"delete") &&
           changeOne(side_.sql(u"DELETE FROM {partners} WHERE {pkey} = ?"), {id}, u"delete");
}

bool PartnerTable::_checkContacts(Value* list)
{
    if (!list)
        return true;
    String key;
    for (int i = 0; Value* row = list->getIndex(i, key); i++) {
        if (!row->isMap())
            continue;
        if (rowKind(row) != ROW_CREATE && row->getInt(u"cntid") < 1)
            return fail(u"cntid");
        if (rowKind(row) != ROW_DELETE && textOf(row, u"cntct").empty())
            return fail(u"cntct");
    }
    return true;
}

bool PartnerTable::_saveContacts(int id, Value* list, bool newPartner)
{
    if (!list)
        return true;
    ContactTable contacts(Beside{*this}, side_);
    String key;
    for (int i = 0; Value* row = list->getIndex(i, key); i++) {
        if (!row->isMap())
            continue;
        RowKind kind = rowKind(row);
        // A new partner has no contacts yet: its rows can only be new.
        if (newPartner && kind == ROW_DELETE)
            continue;
        bool saved = kind == ROW_DELETE                  ? contacts.removeFor(id, row->getInt(u"cntid"))
                     : kind == ROW_UPDATE && !newPartner ? contacts.updateFor(id, row)
                                                         : contacts.insertFor(id, row);
        if (!saved)
            return fail(contacts.getError());
    }
    return true;
}

bool PartnerTable::_commit(DbTransaction& transaction)
{
    if (!transaction.commit())
        return fail(u"update");
    dropNameCache(side_);
    return true;
}

bool PartnerTable::insert(Value* fields)
{
    Fields row;
    if (!session() || !fields || !_readFields(fields, row) || !_checkContacts(fields->find(u"list")))
        return false;
    DbTransaction transaction(session());
    return transaction.isActive() && _insertRow(row) && _saveContacts(lastId(), fields->find(u"list"), true) &&
           _commit(transaction);
}

bool PartnerTable::update(Value* fields)
{
    Fields row;
    if (!session() || !fields)
        return false;
    int id = fields->getInt(side_.partnerKey);
    if (id < 1)
        return fail(side_.partnerKey);
    if (!_readFields(fields, row) || !_checkContacts(fields->find(u"list")))
        return false;
    DbTransaction transaction(session());
    return transaction.isActive() && _updateRow(id, row, true) && _saveContacts(id, fields->find(u"list"), false) &&
           _commit(transaction);
}

bool PartnerTable::saveList(Value* list)
{
    const char16_t* name = side_.partnerName;
    bool saved = saveRows(
        list, side_.partnerKey,
        [this, name](Value* row, RowKind kind) {
            return kind == ROW_DELETE || !textOf(row, name).empty() || fail(name);
        },
        [this](Value* row, RowKind kind) {
            int id = row->getInt(side_.partnerKey);
            Fields fields;
            if (kind == ROW_DELETE)
                return _deleteRow(id);
            return _readFields(row, fields) &&
                   (kind == ROW_UPDATE ? _updateRow(id, fields, false) : _insertRow(fields));
        });
    if (saved)
        dropNameCache(side_);
    return saved;
}
