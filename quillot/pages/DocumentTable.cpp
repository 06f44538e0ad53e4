#include "quillot/pages/DocumentTable.h"

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/DocumentState.h"
#include "quillot/frame/Rounding.h"
#include "tessel/core/Date.h"

using tessel::Ref;
using tessel::String;

DocumentTable::DocumentTable(const PageAction& page, const Side& side, const DocumentTables& tables)
    : TableClass(page), side_(side), tables_(tables)
{
}

String DocumentTable::sql(const char16_t* text) const
{
    String out = side_.sql(text);
    out.replace(u"{docs}", tables_.header);
    out.replace(u"{docLines}", tables_.lines);
    out.replace(u"{dkey}", tables_.key);
    return out;
}

String DocumentTable::missingKey() const
{
    return Side::keyOf(tables_.header);
}

String DocumentTable::thisMonth()
{
    return tessel::Date::getSystemDate().format(u"%Y%m");
}

int DocumentTable::stateOf(const String& number, String* remarks, int* partner)
{
    Ref<IDbCursor> row;
    String query = sql(u"SELECT stats, rmrks, {pkey} FROM {docs} WHERE {dkey} = ?");
    if (!session()->openCursor(query, {number}, row.out()) || !row) {
        reportFailure(query, u"update");
        return -1;
    }
    if (!row->next())
        return -1;
    if (remarks)
        row->getStringAt(*remarks, 1);
    if (partner)
        *partner = row->getIntAt(2);
    return row->getIntAt(0);
}

bool DocumentTable::drawDocumentNumber(const char16_t* key)
{
    number_ = drawNumber(tables_.kind);
    return (!number_.empty() && stateOf(number_) < 0) || fail(key);
}

bool DocumentTable::mayUndo(const String&)
{
    return true;
}

bool DocumentTable::reverse(const String& number, const String& user)
{
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    int partner = 0;
    int state = stateOf(number, nullptr, &partner);
    if (state < 0)
        return fail(missingKey());
    if (state != STATE_OPEN && state != STATE_FINISHED)
        return fail(u"rubric");
    if (session()->queryInt(sql(u"SELECT count(*) FROM {docLines} WHERE {dkey} = ?"), {number}, 0) < 1)
        return fail(missingKey());
    return mayUndo(number) && drawDocumentNumber(u"makered") &&
           changeOne(sql(u"UPDATE {docs} SET stats = 5 WHERE {dkey} = ? AND stats IN (3, 4)"), {number}, u"rubric") &&
           changeOne(sql(copyHeaderSql()), {number_, user, thisMonth(), number + u"R", number}, u"makered") &&
           run(sql(copyLinesSql()), {number_, number}, u"makered") && moveLines(number_, 0, partner, user, 1) &&
           (transaction.commit() || fail(u"update"));
}

bool DocumentTable::remove(const String& number, const String& user)
{
    if (!session())
        return false;
    DbTransaction transaction(session());
    if (!transaction.isActive())
        return fail(u"update");
    String remarks;
    int partner = 0;
    int state = stateOf(number, &remarks, &partner);
    if (state < 0)
        return fail(missingKey());
    if (state != STATE_NEW && state != STATE_RED_INK)
        return fail(u"delete");
    if (!mayUndo(number))
        return false;
    // Removing a red-ink copy makes the document it reversed current again:
    // its number is the copy's remarks without the "R".
    bool copy = state == STATE_RED_INK;
    if (copy && (remarks.size() < 2 || remarks[remarks.size() - 1] != u'R'))
        return fail(u"redink");
    if (copy && !changeOne(sql(u"UPDATE {docs} SET stats = 3 WHERE {dkey} = ? AND stats = 5"),
                           {remarks.substr(0, remarks.size() - 1)}, u"redink"))
        return false;
    return moveLines(number, 0, partner, user, -1) &&
           changeOne(sql(u"DELETE FROM {docs} WHERE {dkey} = ? AND stats IN (1, 6)"), {number}, u"delete") &&
           run(sql(u"DELETE FROM {docLines} WHERE {dkey} = ?"), {number}, u"delete") &&
           (transaction.commit() || fail(u"update"));
}

bool DocumentTable::forEachRow(tessel::Value* list, std::initializer_list<const char16_t*> fields,
                               const std::function<bool(tessel::Value* row)>& step)
{
    String key;
    for (int i = 0; list && list->isMap(); i++) {
        tessel::Value* row = list->getIndex(i, key);
        if (!row)
            break;
        if (!row->isMap())
            continue;
        bool blank = rowKind(row) == ROW_CREATE;
        for (const char16_t* field : fields)
            blank = blank && textOf(row, field).empty();
        if (!blank && !step(row))
            return false;
    }
    return true;
}

bool DocumentTable::deleteLine(const String& number, int linnm, int partner, const String& user)
{
    if (session()->queryInt(sql(u"SELECT count(*) FROM {docLines} WHERE {dkey} = ? AND linnm = ?"), {number, linnm},
                            0) != 1)
        return fail(u"linnm");
    return moveLines(number, linnm, partner, user, -1) &&
           changeOne(sql(u"DELETE FROM {docLines} WHERE {dkey} = ? AND linnm = ?"), {number, linnm}, u"delete");
}

int DocumentTable::nextLine(const String& number)
{
    return session()->queryInt(sql(u"SELECT max(linnm) FROM {docLines} WHERE {dkey} = ?"), {number}, 0) + 1;
}

bool DocumentTable::readProduct(tessel::Value* row, String& prdnm, String& specs, double& qunty, double& itmpr)
{
    prdnm = textOf(row, u"prdnm");
    specs = textOf(row, u"specs");
    if (prdnm.empty())
        return fail(u"prdnm");
    if (specs.empty())
        return fail(u"specs");
    if (!readNumber(row, u"qunty", Rounding::QUANTITY, qunty))
        return false;
    if (qunty == 0)
        return fail(u"qunty");
    return readNumber(row, u"itmpr", Rounding::PRICE, itmpr);
}

bool DocumentTable::readCommonHeader(tessel::Value* fields, CommonHeader& out)
{
    String loaded = textOf(fields, u"_exist");
    if (!loaded.empty() && !documentNumber(loaded, out.number))
        return fail(tables_.key);
    out.partnerName = textOf(fields, side_.partnerName);
    if (out.partnerName.empty())
        return fail(side_.partnerName);
    if (!dateText(fields->getAt(u"excdt"), false, out.excdt))
        return fail(u"excdt");
    bool noRate = textOf(fields, u"exchn").empty();
    if (!readNumber(fields, u"exchn", Rounding::PRICE, out.exchn))
        return false;
    if (noRate)
        out.exchn = 1;
    return out.exchn > 0 || fail(u"exchn");
}
