#pragma once

#include "tessel/core/Date.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

#include <functional>

#include "dbdriver/DbParams.h"
#include "quillot/frame/PartnerNameCache.h"

class IDbSession;
class PageAction;
class ListQuery;
class Side;

// Base of every data-access class of the application: it works on the
// action's database session and keeps the key word of the last failure
// ("insert", a field name such as "splid"), which the page hands to
// HttpAction::setError. Every operation first checks that there is a
// session and gives false, 0 or an empty text without one.
class TableClass : public tessel::IObject {
public:
    // Rows of a list page; the product stock list shows more.
    static constexpr int PAGE_SIZE = 100;
    // Settings rows hold long texts in pieces of this many characters.
    static constexpr int TEXT_PIECE = 250;
    // The longest document number a form may give.
    static constexpr int MAX_NUMBER = 32;

    // The read failure's key: the statement could not run (the driver's
    // text is on the server's log).
    static constexpr const char16_t* READ_FAILED = u"Common.select";

    explicit TableClass(IDbSession* session, tessel::Value* company = nullptr);
    // Over a page's database session and company tree; failures are logged
    // with the page's class name.
    explicit TableClass(const PageAction& page);
    // A table class working beside another one: same session, company and
    // page (TableClass(Beside{owner})).
    struct Beside {
        const TableClass& owner;
    };
    explicit TableClass(Beside beside);

    IDbSession* session() const { return session_; }
    tessel::Value* company() const { return company_; }
    // The class name of the page the failures are logged with.
    const tessel::String& pageName() const { return page_; }
    const tessel::String& getError() const { return error_; }
    void setError(const tessel::String& key) { error_ = key; }
    // The key of the row inserted last by this object (0 before any).
    int lastId() const { return lastId_; }

    // One row into `target` as column/value children; false without a row
    // and when the query fails (then the error is READ_FAILED).
    bool fetchRow(tessel::Value* target, const tessel::String& sql, const DbParams& params = DbParams());
    // Rows "001", "002", ... (wider keys past 999 rows, so they stay in
    // order) into `target`; with a limit, each row also gets "state", the
    // word of its "stats" column. A limit of 0 lists every row. False when
    // the query fails (the error is READ_FAILED).
    bool listRows(tessel::Value* target, const tessel::String& sql, int limit, int offset,
                  const DbParams& params = DbParams());

    // A list page: FORM.size becomes the query's page size, "pages" the
    // number of pages the filter FORM.filter leaves, and "list" the rows of
    // page FORM.page (kept within 1 and the last page). Returns the pages,
    // or -1 when a query fails (the error is READ_FAILED).
    int listPage(tessel::Value* data, const ListQuery& query);

    // A statement that must change exactly one row: false, with `key` as
    // the error, when it fails or changes another number of rows.
    bool changeOne(const tessel::String& sql, const DbParams& params, const char16_t* key);
    // A statement that may change any number of rows: false, with `key` as
    // the error, when it fails.
    bool run(const tessel::String& sql, const DbParams& params, const char16_t* key);
    // The kind of a row of an edited list: "create" (also for an empty
    // "_type"), "update" or "delete".
    enum RowKind { ROW_CREATE, ROW_UPDATE, ROW_DELETE };
    static RowKind rowKind(tessel::Value* row);
    using RowStep = std::function<bool(tessel::Value* row, RowKind kind)>;
    // The save of a list edited in place: a list without rows fails with
    // "empty"; every row is checked first (a row that is not new needs its
    // key `keyField`, then `check`), then each is saved in one transaction.
    bool saveRows(tessel::Value* list, const char16_t* keyField, const RowStep& check, const RowStep& save);
    // Sets the error to `key` (unless an earlier one is kept) and gives
    // false, for the checks of a save.
    bool fail(const tessel::String& key);
    // The pages of `size` rows that FORM.filter leaves of the query.
    // -1 when the count fails.
    int pageCount(const ListQuery& query, int size, tessel::Value* form);
    // The conditions of a list filter as " AND ..." clauses. The filter is
    // "column OPERATOR value" conditions separated by ";"; only the query's
    // filterable columns may be named, and an unknown column or operator
    // ends the filter there. Texts are escaped; the numeric comparisons
    // (GT, LT, GE, LE) take numbers only and drop a condition whose value
    // is not one.
    tessel::String filterClause(const ListQuery& query, const tessel::String& filter);

    // The document number that the next document of a kind would get:
    // prefix, this month as "%Y%m", and the month's counter + 1 ("%03d",
    // wider past 999). Reading does not reserve it; see drawNumber.
    tessel::String nextNumber(int tableid);
    tessel::String nextNumber(int tableid, const tessel::Date& today);
    // Draws the next number of a kind and records it, inside the caller's
    // transaction: the number is kept only when the document saved with it
    // is committed, and two saves can never draw the same one. Empty
    // outside a transaction or when the kind is unknown.
    tessel::String drawNumber(int tableid);
    tessel::String drawNumber(int tableid, const tessel::Date& today);
    // Records `number` as the last one drawn for its kind; call it in the
    // transaction that saves the document. The counter never moves back.
    bool commitNumber(int tableid, const tessel::String& number);

    // Partner lookups by name and by key, on either side.
    int partnerIdByName(const Side& side, const tessel::String& name);
    tessel::String partnerName(const Side& side, int id);
    // All partner names of a side, by key; read on first use and kept
    // until a save drops them.
    const PartnerNameCache::Names& partnerNames(const Side& side);
    int clientIdByName(const tessel::String& name);
    int supplierIdByName(const tessel::String& name);
    tessel::String clientName(int id);
    tessel::String supplierName(int id);
    // All client or supplier names of the database, by key; read on first
    // use and kept until a save drops them.
    const PartnerNameCache::Names& clientNames();
    const PartnerNameCache::Names& supplierNames();
    // "client", "supply" or "_all": the cached names of that kind are read
    // anew on next use, by every visitor of this database.
    void dropNameCache(const tessel::String& which);
    void dropNameCache(const Side& side);

    // Replaces the text a drop-down showed in `target`'s `field` by the
    // option's code from the company tree's list `list` (empty when no
    // option has that text); nothing when the list is missing.
    void labelToCode(tessel::Value* target, const tessel::String& list, const tessel::String& field);
    // The company's name, address, bank and tax data (settings class 2) as
    // "company", "address", ... children of `target`.
    void companySettings(tessel::Value* target);

    // Long texts kept in settings rows of 250 characters each. Saving works
    // inside the caller's transaction when there is one, else in its own.
    bool saveLongText(int classid, const tessel::String& text);
    bool loadLongText(int classid, tessel::String& out);

    // A date typed in a form, for SQL: the date in its own text form
    // ("'2011-06-30'"), or null for an empty text when `nullable`. False for
    // a text that is not a date.
    static bool dateLiteral(const tessel::String& text, bool nullable, tessel::String& out);
    // The text of a form field, trimmed and without the control characters
    // that no document can hold (all but tab and line ends), so that every
    // stored text also goes into XML files.
    static tessel::String textOf(tessel::Value* fields, const tessel::String& name);
    // A date typed in a form in its own text form ("2011-06-30"); an empty
    // text gives "" when `optional`. False for a text that is not a date.
    static bool dateText(const tessel::String& text, bool optional, tessel::String& out);
    // A document number typed in a form: trimmed, not empty, at most 32
    // characters, without control characters, "," or ";" (lists of
    // numbers are separated by them).
    static bool documentNumber(const tessel::String& text, tessel::String& out);
    // Reads the field `name` of `fields` as a number (empty is 0) into
    // `out`, rounded to `places`; false, with the field's name as the
    // error, for a text that is not a finite number within the limit.
    bool readNumber(tessel::Value* fields, const char16_t* name, int places, double& out);
    // The same for a whole number.
    bool readInt(tessel::Value* fields, const char16_t* name, int& out);
    // The first of document numbers separated by "," or ";" ("P1,P2"
    // gives "P1"); a list selection may pass several.
    static tessel::String firstNumber(const tessel::String& numbers);
    // Document numbers separated by "," or ";" as the quoted list of an
    // IN (...): "'P1', 'P2'"; "''" when there is none.
    tessel::String numberList(const tessel::String& numbers) const;

    // The name of row `number` of a list holding `rows` rows: "%03d", or as
    // many digits as the largest number has, so that the rows keep their
    // order in the tree.
    static tessel::String rowKey(int number, int rows);

protected:
    void setLastId(int id) { lastId_ = id; }
    // `text` made safe inside '...'.
    tessel::String escape(const tessel::String& text) const;

    // Writes the driver's text for a statement that could not run to the
    // server's log and keeps `key` as the error.
    void reportFailure(const tessel::String& sql, const char16_t* key);

private:
    void _widenRowKeys(tessel::Value* target, int rows);

    IDbSession* session_;
    tessel::Value* company_;
    tessel::String page_;
    tessel::String error_;
    int lastId_ = 0;
};
