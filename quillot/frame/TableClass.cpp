#include "quillot/frame/TableClass.h"

#include <cstdint>

#include "dbdriver/DbTransaction.h"
#include "dbdriver/IDbSession.h"
#include "quillot/frame/FailureLog.h"
#include "quillot/frame/ListQuery.h"
#include "quillot/frame/PageAction.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/Side.h"
#include "quillot/frame/StateOfFunction.h"

using tessel::Array;
using tessel::Date;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// ---------------------------------------------------------------- numbering

// The numbering row of one document kind.
struct Numbering {
    String prefix;
    String period;
    int lastid = 0;
};

// The largest counter a month can reach; past it a kind draws no number.
constexpr int MAX_COUNTER = 999999999;

bool readNumbering(IDbSession* session, int tableid, Numbering& out)
{
    Ref<IDbCursor> cursor;
    String sql;
    sql.format(u"SELECT prefix, period, lastid FROM zsyslast WHERE tableid = %d", tableid);
    if (!session->openCursor(sql, cursor.out()) || !cursor || !cursor->next())
        return false;
    cursor->getStringAt(out.prefix, 0);
    cursor->getStringAt(out.period, 1);
    out.lastid = cursor->getIntAt(2);
    return true;
}

// The counter the next document of this month takes; 0 when it would pass
// the largest counter.
int nextCounter(const Numbering& numbering, const String& period)
{
    int last = numbering.period == period && numbering.lastid > 0 ? numbering.lastid : 0;
    return last < MAX_COUNTER ? last + 1 : 0;
}

String numberOf(const Numbering& numbering, const String& period, int counter)
{
    String number;
    number.format(u"%s%s%03d", numbering.prefix.c_str(), period.c_str(), counter);
    return number;
}

String periodOf(const Date& today)
{
    return today.format(u"%Y%m");
}

bool allDigits(const String& text)
{
    if (text.empty())
        return false;
    for (int i = 0; i < text.size(); i++)
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    return true;
}

// Splits a number of the kind into its period and counter: everything after
// the prefix and the six digits of the month is the counter.
bool splitNumber(const Numbering& numbering, const String& number, String& period, int& counter)
{
    if (!number.startsWith(numbering.prefix))
        return false;
    String rest = number.substr(numbering.prefix.size());
    period = rest.substr(0, 6);
    String digits = rest.substr(6);
    if (period.size() != 6 || !allDigits(period) || !allDigits(digits) || digits.size() > 9)
        return false;
    counter = digits.toInteger();
    return counter >= 1 && counter <= MAX_COUNTER;
}

// ------------------------------------------------------------------ filters

struct FilterOperator {
    const char16_t* word;
    const char16_t* before; // written between the column and the value
    const char16_t* after;
    bool numeric;
};

const FilterOperator OPERATORS[] = {
    {u"IN", u" LIKE '%", u"%'", false}, {u"NI", u" NOT LIKE '%", u"%'", false},
    {u"EQ", u" = '", u"'", false},      {u"NE", u" != '", u"'", false},
    {u"GT", u" > ", u"", true},         {u"LT", u" < ", u"", true},
    {u"GE", u" >= ", u"", true},        {u"LE", u" <= ", u"", true},
};

const FilterOperator* operatorOf(const String& word)
{
    for (const FilterOperator& op : OPERATORS)
        if (word == op.word)
            return &op;
    return nullptr;
}

// A plain decimal number: an optional sign, digits and at most one point.
bool isNumber(const String& text)
{
    int i = text.size() > 0 && (text[0] == u'-' || text[0] == u'+') ? 1 : 0;
    int digits = 0, points = 0;
    for (; i < text.size(); i++) {
        if (text[i] >= u'0' && text[i] <= u'9')
            digits++;
        else if (text[i] == u'.' && ++points == 1)
            continue;
        else
            return false;
    }
    return digits > 0 && text.size() <= 40;
}

// ----------------------------------------------------------------- settings

const char16_t* const COMPANY_KEYS[] = {
    u"company", u"address", u"bankname", u"account", u"lisence", u"taxcode", u"phone", u"faxcode", u"taxrate",
};

} // namespace

TableClass::TableClass(IDbSession* session, Value* company) : session_(session), company_(company) {}

TableClass::TableClass(const PageAction& page)
    : session_(page.db()), company_(page.company()), page_(page.getClassName())
{
}

TableClass::TableClass(Beside beside)
    : session_(beside.owner.session_), company_(beside.owner.company_), page_(beside.owner.page_)
{
}

void TableClass::reportFailure(const String& sql, const char16_t* key)
{
    String error;
    if (session_)
        session_->getLastError(error);
    FailureLog::write(page_, error, sql);
    if (error_.empty())
        error_ = key;
}

bool TableClass::fail(const String& key)
{
    if (error_.empty())
        error_ = key;
    return false;
}

TableClass::RowKind TableClass::rowKind(Value* row)
{
    String type = row ? row->getAt(u"_type") : String();
    return type == u"update" ? ROW_UPDATE : type == u"delete" ? ROW_DELETE : ROW_CREATE;
}

bool TableClass::saveRows(Value* list, const char16_t* keyField, const RowStep& check, const RowStep& save)
{
    if (!session_)
        return false;
    if (!list || !list->isMap() || list->size() == 0)
        return fail(u"empty");
    String key;
    for (int i = 0; Value* row = list->getIndex(i, key); i++) {
        RowKind kind = rowKind(row);
        if (kind != ROW_CREATE && row->getInt(keyField) < 1)
            return fail(keyField);
        if (!check(row, kind))
            return false;
    }
    DbTransaction transaction(session_);
    if (!transaction.isActive())
        return fail(u"update");
    for (int i = 0; Value* row = list->getIndex(i, key); i++)
        if (!save(row, rowKind(row)))
            return false;
    return transaction.commit() || fail(u"update");
}

bool TableClass::changeOne(const String& sql, const DbParams& params, const char16_t* key)
{
    if (!session_)
        return fail(key);
    int affected = 0;
    if (!session_->executeCount(sql, params, &affected)) {
        reportFailure(sql, key);
        return false;
    }
    return affected == 1 || fail(key);
}

bool TableClass::run(const String& sql, const DbParams& params, const char16_t* key)
{
    if (!session_)
        return fail(key);
    if (session_->execute(sql, params))
        return true;
    reportFailure(sql, key);
    return false;
}

String TableClass::escape(const String& text) const
{
    return session_ ? session_->escape(text) : String();
}

// ------------------------------------------------------------------- rows

bool TableClass::fetchRow(Value* target, const String& sql, const DbParams& params)
{
    if (!session_ || !target || sql.empty())
        return false;
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(sql, params, cursor.out()) || !cursor) {
        reportFailure(sql, READ_FAILED);
        return false;
    }
    return cursor->next() && cursor->fetchRow(target);
}

String TableClass::rowKey(int number, int rows)
{
    int width = 3;
    for (int64_t limit = 1000; rows >= limit; limit *= 10)
        width++;
    String key;
    key.format(u"%0*d", width, number);
    return key;
}

bool TableClass::listRows(Value* target, const String& sql, int limit, int offset, const DbParams& params)
{
    if (!session_ || !target || sql.empty())
        return false;
    Ref<IDbCommand> command;
    if (!session_->createCommand(command.out()) || !command)
        return false;
    command->setLimit(limit);
    command->setOffset(offset);
    command->setSql(sql);
    command->setParams(params);
    Ref<IDbCursor> cursor;
    if (!command->executeQuery(cursor.out()) || !cursor) {
        reportFailure(sql, READ_FAILED);
        return false;
    }
    int stateColumn = cursor->getColumnIndex(u"stats");
    int rows = 0;
    while (cursor->next()) {
        rows++;
        Value* row = target->insert(rowKey(rows, rows));
        cursor->fetchRow(row);
        if (stateColumn >= 0 && limit != 0)
            row->insert(u"state", StateOfFunction::nameOf(cursor->getIntAt(stateColumn)));
    }
    if (rowKey(1, rows).size() > 3)
        _widenRowKeys(target, rows);
    return true;
}

// The rows before the 1000th were named with three digits; give them the
// width of the last one, so "0001" sorts before "1000".
void TableClass::_widenRowKeys(Value* target, int rows)
{
    for (int number = 1; number <= rows; number++) {
        String narrow = rowKey(number, number);
        String wide = rowKey(number, rows);
        if (narrow == wide)
            continue;
        Value* row = target->find(narrow);
        target->insert(wide)->mergeWith(row);
        target->remove(narrow);
    }
}

// ------------------------------------------------------------------- lists

String TableClass::filterClause(const ListQuery& query, const String& filter)
{
    String clause;
    if (!session_ || filter.empty())
        return clause;
    Array<String> conditions;
    filter.split(u";", conditions);
    for (int i = 0; i < conditions.size(); i++) {
        Array<String> words;
        if (conditions[i]->splitAny(u" ", words) < 3)
            continue;
        const String& column = *words[0];
        const String& value = *words[2];
        const FilterOperator* op = operatorOf(*words[1]);
        if (!op || !query.isFilterable(column))
            break;
        if (op->numeric && !isNumber(value))
            continue;
        clause += u" AND ";
        clause += column;
        clause += op->before;
        clause += op->numeric ? value : escape(value);
        clause += op->after;
    }
    return clause;
}

int TableClass::pageCount(const ListQuery& query, int size, Value* form)
{
    if (!session_ || size < 1)
        return 0;
    String clause = form ? filterClause(query, form->getAt(u"filter")) : String();
    String sql = query.countSql(clause);
    int count = session_->queryInt(sql, -1);
    if (count < 0) {
        reportFailure(sql, READ_FAILED);
        return -1;
    }
    if (count < 1)
        return 0;
    return static_cast<int>((static_cast<int64_t>(count) + size - 1) / size);
}

int TableClass::listPage(Value* data, const ListQuery& query)
{
    if (!session_ || !data)
        return 0;
    Value* form = data->insert(u"FORM");
    int size = query.getPageSize();
    form->insert(u"size", size);
    int pages = pageCount(query, size, form);
    if (pages < 0)
        return -1;
    data->insert(u"pages", pages);
    Value* list = data->insert(u"list");
    int page = form->getInt(u"page");
    if (page > pages)
        page = pages;
    if (page < 1)
        page = 1;
    form->insert(u"page", page);
    String clause = filterClause(query, form->getAt(u"filter"));
    return listRows(list, query.rowsSql(clause), size, (page - 1) * size) ? pages : -1;
}

// ------------------------------------------------------ document numbers

String TableClass::nextNumber(int tableid)
{
    return nextNumber(tableid, Date::getSystemDate());
}

String TableClass::nextNumber(int tableid, const Date& today)
{
    Numbering numbering;
    if (!session_ || !readNumbering(session_, tableid, numbering))
        return String();
    String period = periodOf(today);
    int counter = nextCounter(numbering, period);
    return counter > 0 ? numberOf(numbering, period, counter) : String();
}

String TableClass::drawNumber(int tableid)
{
    return drawNumber(tableid, Date::getSystemDate());
}

String TableClass::drawNumber(int tableid, const Date& today)
{
    Numbering numbering;
    if (!session_ || !session_->inTransaction() || !readNumbering(session_, tableid, numbering))
        return String();
    String period = periodOf(today);
    int counter = nextCounter(numbering, period);
    if (counter < 1)
        return String();
    // The row must still hold what was read: the number is then ours.
    String sql;
    sql.format(u"UPDATE zsyslast SET period = '%s', lastid = %d WHERE tableid = %d AND period = '%s' AND lastid = %d",
               escape(period).c_str(), counter, tableid, escape(numbering.period).c_str(), numbering.lastid);
    int affected = 0;
    if (!session_->executeCount(sql, &affected) || affected != 1)
        return String();
    return numberOf(numbering, period, counter);
}

bool TableClass::commitNumber(int tableid, const String& number)
{
    Numbering numbering;
    if (!session_ || !readNumbering(session_, tableid, numbering))
        return false;
    String period;
    int counter = 0;
    if (!splitNumber(numbering, number, period, counter))
        return false;
    // A number older than the recorded one leaves the counter where it is.
    String sql;
    sql.format(u"UPDATE zsyslast SET period = '%s', lastid = %d WHERE tableid = %d"
               u" AND (period < '%s' OR (period = '%s' AND lastid < %d))",
               period.c_str(), counter, tableid, period.c_str(), period.c_str(), counter);
    return session_->execute(sql);
}

// ------------------------------------------------------------- partners

int TableClass::partnerIdByName(const Side& side, const String& name)
{
    if (!session_ || name.empty())
        return 0;
    return session_->queryInt(side.sql(u"SELECT {pkey} FROM {partners} WHERE {pname} = ?"), {name}, 0);
}

String TableClass::partnerName(const Side& side, int id)
{
    String name;
    if (!session_ || id < 1)
        return name;
    return session_->queryString(name, side.sql(u"SELECT {pname} FROM {partners} WHERE {pkey} = ?"), {id});
}

const PartnerNameCache::Names& TableClass::partnerNames(const Side& side)
{
    return PartnerNameCache::names(session_, side.cacheKind);
}

int TableClass::clientIdByName(const String& name)
{
    return partnerIdByName(Side::sales(), name);
}

int TableClass::supplierIdByName(const String& name)
{
    return partnerIdByName(Side::purchase(), name);
}

String TableClass::clientName(int id)
{
    return partnerName(Side::sales(), id);
}

String TableClass::supplierName(int id)
{
    return partnerName(Side::purchase(), id);
}

const PartnerNameCache::Names& TableClass::clientNames()
{
    return partnerNames(Side::sales());
}

const PartnerNameCache::Names& TableClass::supplierNames()
{
    return partnerNames(Side::purchase());
}

void TableClass::dropNameCache(const String& which)
{
    PartnerNameCache::drop(session_, which);
}

void TableClass::dropNameCache(const Side& side)
{
    PartnerNameCache::drop(session_, side.cacheKind);
}

// ------------------------------------------------------------ SQL values

bool TableClass::dateLiteral(const String& text, bool nullable, String& out)
{
    String trimmed(text);
    trimmed.trim();
    if (trimmed.empty()) {
        out = nullable ? u"null" : u"''";
        return nullable;
    }
    Date date;
    if (!date.parseDate(trimmed.c_str()) || !date.isValid())
        return false;
    out = String(u"'") + date.toString() + u"'";
    return true;
}

String TableClass::textOf(Value* fields, const String& name)
{
    String text = fields ? fields->getAt(name) : String();
    String clean;
    for (int i = 0; i < text.size(); i++) {
        char16_t c = text[i];
        if ((c >= 0x20 && c != 0x7f) || c == u'\t' || c == u'\n' || c == u'\r')
            clean += c;
    }
    return clean.trim();
}

bool TableClass::dateText(const String& text, bool optional, String& out)
{
    String trimmed(text);
    trimmed.trim();
    if (trimmed.empty()) {
        out.clear();
        return optional;
    }
    Date date;
    if (!date.parseDate(trimmed.c_str()) || !date.isValid())
        return false;
    out = date.toString();
    return true;
}

bool TableClass::documentNumber(const String& text, String& out)
{
    out = text;
    out.trim();
    if (out.empty() || out.size() > MAX_NUMBER)
        return false;
    for (int i = 0; i < out.size(); i++)
        if (out[i] < 0x20 || out[i] == 0x7f || out[i] == u',' || out[i] == u';')
            return false;
    return true;
}

bool TableClass::readNumber(Value* fields, const char16_t* name, int places, double& out)
{
    if (!Rounding::parse(fields ? fields->getAt(name) : String(), out))
        return fail(name);
    out = Rounding::round(out, places);
    return true;
}

bool TableClass::readInt(Value* fields, const char16_t* name, int& out)
{
    double number = 0;
    if (!Rounding::parse(fields ? fields->getAt(name) : String(), number) || number != static_cast<int>(number))
        return fail(name);
    out = static_cast<int>(number);
    return true;
}

String TableClass::firstNumber(const String& numbers)
{
    int cut = numbers.indexOfAny(u",;");
    return cut > 0 ? numbers.substr(0, cut) : numbers;
}

String TableClass::numberList(const String& numbers) const
{
    Array<String> parts;
    numbers.splitAny(u",;", parts);
    Array<String> quoted;
    for (int i = 0; i < parts.size(); i++) {
        String number(*parts[i]);
        if (!number.trim().empty())
            quoted.add(new String(String(u"'") + escape(number) + u"'"));
    }
    String list(u"''");
    list.join(u", ", quoted);
    return list;
}

// ------------------------------------------------------------- settings

void TableClass::labelToCode(Value* target, const String& list, const String& field)
{
    if (!target || !company_ || list.empty() || field.empty())
        return;
    Value* options = company_->find(list);
    if (!options || !options->isMap())
        return;
    target->insert(field, options->valueAt(target->getAt(field)));
}

void TableClass::companySettings(Value* target)
{
    if (!session_ || !target)
        return;
    Ref<IDbCursor> cursor;
    if (!session_->openCursor(u"SELECT nameid, svalue FROM zsysconf WHERE classid = 2", cursor.out()) || !cursor)
        return;
    String value;
    while (cursor->next()) {
        int nameid = cursor->getIntAt(0);
        if (nameid >= 1 && nameid <= 9)
            target->insert(COMPANY_KEYS[nameid - 1], cursor->getStringAt(value, 1));
    }
}

bool TableClass::saveLongText(int classid, const String& text)
{
    if (!session_ || text.empty())
        return false;
    // Inside the caller's transaction the caller commits.
    bool own = !session_->inTransaction();
    DbTransaction transaction(own ? session_ : nullptr);
    if (own && !transaction.isActive())
        return false;
    String sql;
    sql.format(u"DELETE FROM zsysconf WHERE classid = %d", classid);
    if (!session_->execute(sql))
        return false;
    int piece = 1;
    for (int offset = 0; offset <= text.size(); offset += TEXT_PIECE, piece++) {
        sql.format(u"INSERT INTO zsysconf(classid, nameid, svalue) VALUES(%d, %d, '%s')", classid, piece,
                   escape(text.substr(offset, TEXT_PIECE)).c_str());
        if (!session_->execute(sql))
            return false;
    }
    return !own || transaction.commit();
}

bool TableClass::loadLongText(int classid, String& out)
{
    out.clear();
    if (!session_)
        return false;
    Ref<IDbCursor> cursor;
    String sql;
    sql.format(u"SELECT svalue FROM zsysconf WHERE classid = %d ORDER BY nameid", classid);
    if (!session_->openCursor(sql, cursor.out()) || !cursor)
        return false;
    bool found = false;
    String piece;
    while (cursor->next()) {
        out += cursor->getStringAt(piece, 0);
        found = true;
    }
    return found;
}
