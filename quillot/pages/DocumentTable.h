#pragma once

#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

#include <functional>
#include <vector>

// The tables of one kind of posted document on one side: header, lines,
// the number column and the numbering kind.
struct DocumentTables {
    const char16_t* header; // {docs}: zwimprt, zpinvct, ...
    const char16_t* lines;  // {docLines}: zwimprd, zpinvcd, ...
    const char16_t* key;    // {dkey}: impid, invid, pymid
    int kind;               // the numbering of its document numbers
};

// What stock movements, invoices and payments share: documents posted when
// saved (state 3), reversed by a red-ink copy and removed while a copy or
// not yet posted. The counters the lines move (stock, received, invoiced,
// paid) are the kind's own: moveLines moves them by the stored lines.
// - reverse: a document in state 3 or 4 goes to 5 and a red-ink copy in 6
//   (numbered anew, remarks: the original's number and "R") negates it
//   exactly; its lines move the counters back.
// - remove: a document in state 1 or a red-ink copy, whose original
//   returns to 3; its lines move the counters the other way.
// Failure keys: "rubric", "makered", "redink", "delete", "update" and the
// header table's key ("zwimpr") for a document that is not there.
class DocumentTable : public TableClass {
public:
    DocumentTable(const PageAction& page, const Side& side, const DocumentTables& tables);

    // The header of document `number` into `target` (false when it is not
    // there or cannot be read), and its lines.
    virtual bool loadHeader(const tessel::String& number, tessel::Value* target) = 0;
    virtual bool listLines(const tessel::String& number, tessel::Value* target) = 0;

    bool reverse(const tessel::String& number, const tessel::String& user);
    bool remove(const tessel::String& number, const tessel::String& user);
    // The number of the document saved or made last.
    const tessel::String& number() const { return number_; }
    // The form field and column of the document's number ("impid").
    const char16_t* numberField() const { return tables_.key; }
    // The number the next document of this kind would get.
    tessel::String nextDocumentNumber() { return nextNumber(tables_.kind); }

    // The rows of a list edited in place, one by one, skipping new rows in
    // which none of `fields` holds anything (a form always offers an empty
    // row); false as soon as `step` is.
    static bool forEachRow(tessel::Value* list, std::initializer_list<const char16_t*> fields,
                           const std::function<bool(tessel::Value* row)>& step);
    // The fields of a product line: a new line with none of them is empty.
    static constexpr std::initializer_list<const char16_t*> PRODUCT_FIELDS = {u"prdnm", u"specs", u"other", u"unitg",
                                                                              u"qunty", u"itmpr", u"rmrks", u"orgid"};
    // The rows of an edited list as `Line`s: each with its kind and, unless
    // new, its line number (>= 1, else "linnm"); `read(row, line)` reads the
    // rest of a row that is not deleted.
    template <class Line, class Read>
    bool readRows(tessel::Value* list, std::initializer_list<const char16_t*> fields, std::vector<Line>& out, Read read)
    {
        return forEachRow(list, fields, [&](tessel::Value* row) {
            Line line;
            line.kind = rowKind(row);
            if (line.kind != ROW_CREATE && (line.linnm = row->getInt(u"linnm")) < 1)
                return fail(u"linnm");
            if (line.kind != ROW_DELETE && !read(row, line))
                return false;
            out.push_back(line);
            return true;
        });
    }
    // What every document's header has: the number of the document loaded
    // for an update ("_exist"; empty for a new one), the partner's name, the
    // date and the exchange rate (1 when left empty, else above 0). Each
    // refusal names its field.
    struct CommonHeader {
        tessel::String number, partnerName, excdt;
        double exchn = 1;
    };
    bool readCommonHeader(tessel::Value* fields, CommonHeader& out);
    // The product of a line: name and specification given, a quantity not
    // 0 and a price that is a number (each refusal names its field).
    bool readProduct(tessel::Value* row, tessel::String& prdnm, tessel::String& specs, double& qunty, double& itmpr);
    // Whether any of `lines` stays in the document (is not deleted).
    template <class Line>
    static bool anyKept(const std::vector<Line>& lines)
    {
        for (const Line& line : lines)
            if (line.kind != ROW_DELETE)
                return true;
        return false;
    }

protected:
    const Side& side() const { return side_; }
    const DocumentTables& tables() const { return tables_; }
    // The statement with the side's words and the document's: {docs},
    // {docLines}, {dkey}.
    virtual tessel::String sql(const char16_t* text) const;
    // The key of a document that is not there.
    tessel::String missingKey() const;
    // The document's state, -1 when it is not there; its remarks and
    // partner when asked for.
    int stateOf(const tessel::String& number, tessel::String* remarks = nullptr, int* partner = nullptr);
    // Draws the next number of the kind into number(), within the caller's
    // transaction; false (with `key`) when it cannot or is taken.
    bool drawDocumentNumber(const char16_t* key);
    // Deletes line `linnm` of document `number`, moving its counters back
    // first.
    bool deleteLine(const tessel::String& number, int linnm, int partner, const tessel::String& user);
    // The number the next line added to document `number` gets.
    int nextLine(const tessel::String& number);
    // Moves the counters of the stored lines of `number` (only line
    // `linnm` unless it is 0) by `sign` times their quantities.
    virtual bool moveLines(const tessel::String& number, int linnm, int partner, const tessel::String& user,
                           double sign) = 0;
    // Whether the document may be reversed or removed beyond its state:
    // sets the key of what holds it.
    virtual bool mayUndo(const tessel::String& number);
    // INSERT ... SELECT of the red-ink header from the original: ?1 the
    // copy's number, ?2 the user, ?3 this month, ?4 the remarks, ?5 the
    // original's number. And of its lines: ?1 the copy, ?2 the original.
    virtual const char16_t* copyHeaderSql() const = 0;
    virtual const char16_t* copyLinesSql() const = 0;

    static tessel::String thisMonth();

private:
    const Side& side_;
    DocumentTables tables_;

protected:
    tessel::String number_;
};
