#include "quillot/pages/ClauseTable.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Side.h"

using tessel::String;
using tessel::Value;

ClauseTable::ClauseTable(const PageAction& page, const Side& side) : TableClass(page), classid_(side.clauseClass) {}

bool ClauseTable::list(Value* target)
{
    return listRows(target, u"SELECT nameid, svalue FROM zsysconf WHERE classid = ? ORDER BY nameid", 0, 0, {classid_});
}

bool ClauseTable::save(Value* list)
{
    return saveRows(
        list, u"nameid", [this](Value* row, RowKind kind) { return _check(row, kind); },
        [this](Value* row, RowKind kind) { return _save(row, kind); });
}

bool ClauseTable::_check(Value* row, RowKind kind)
{
    return kind == ROW_DELETE || !textOf(row, u"svalue").empty() || fail(u"svalue");
}

bool ClauseTable::_save(Value* row, RowKind kind)
{
    int nameid = row->getInt(u"nameid");
    switch (kind) {
    case ROW_DELETE:
        return changeOne(u"DELETE FROM zsysconf WHERE classid = ? AND nameid = ?", {classid_, nameid}, u"delete");
    case ROW_UPDATE:
        return changeOne(u"UPDATE zsysconf SET svalue = ? WHERE classid = ? AND nameid = ?",
                         {textOf(row, u"svalue"), classid_, nameid}, u"update");
    case ROW_CREATE: break;
    }
    int next = session()->queryInt(u"SELECT coalesce(max(nameid), 0) + 1 FROM zsysconf WHERE classid = ?", {classid_},
                                   0);
    if (next < 1)
        return fail(u"insert");
    return changeOne(u"INSERT INTO zsysconf(classid, nameid, svalue) VALUES(?, ?, ?)",
                     {classid_, next, textOf(row, u"svalue")}, u"insert");
}
