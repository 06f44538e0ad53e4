#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

#include "dbdriver/IDbAdmin.h"
#include "dbdriver/IDbCommand.h"
#include "dbdriver/IDbCursor.h"
#include "dbdriver/DbParams.h"

// A connection to one company database, named by a bare database name.
// Every call sends exactly one SQL statement: text after the first one is
// refused, so that no value placed in the SQL can add a statement. Failures
// are results (false, a null cursor, the default value) with a text for
// getLastError.
class IDbSession : public tessel::IObject {
public:
    virtual bool isOpen() = 0;
    virtual bool exists(const tessel::String& dbname) = 0;
    // Opens an existing database; never creates one. On failure the
    // database that was open stays open.
    virtual bool open(const tessel::String& dbname) = 0;
    virtual void close() = 0;
    virtual const tessel::String& getName(tessel::String& out) = 0;
    // The path of the open database's file (empty when none is open).
    virtual const tessel::String& getFileName(tessel::String& out) = 0;

    // The text with every single quote doubled, for use inside '...'. Each
    // call gives a String of its own, so two escapes can feed one format.
    virtual tessel::String escape(const tessel::String& text) = 0;
    // The key of the row just inserted; `seq` ("table_column_seq") only
    // says which one the caller means.
    virtual int getSequence(const tessel::String& seq) = 0;

    virtual bool openCursor(const tessel::String& sql, IDbCursor** out) = 0;
    // Runs one statement and sets *affected to the number of rows it
    // inserted, changed or deleted (0 for any other statement).
    virtual bool executeCount(const tessel::String& sql, int* affected) = 0;
    virtual bool execute(const tessel::String& sql) = 0;
    // The first column of the first row, or `def` without a row, for a NULL
    // and on failure.
    virtual int queryInt(const tessel::String& sql, int def = 0) = 0;
    virtual double queryDouble(const tessel::String& sql, double def = 0) = 0;
    virtual tessel::String& queryString(tessel::String& out, const tessel::String& sql,
                                        const char16_t* def = nullptr) = 0;
    virtual tessel::String& getLastError(tessel::String& out) = 0;

    // The same calls for SQL whose values stand as "?" placeholders, bound
    // from `params` in their order: a value is never read as SQL. The
    // statement must have exactly as many placeholders as values. Give the
    // default when binding a single number to queryInt or queryDouble:
    // queryInt(sql, {id}) would read {id} as the default of the call above.
    virtual bool openCursor(const tessel::String& sql, const DbParams& params, IDbCursor** out) = 0;
    virtual bool executeCount(const tessel::String& sql, const DbParams& params, int* affected) = 0;
    virtual bool execute(const tessel::String& sql, const DbParams& params) = 0;
    virtual int queryInt(const tessel::String& sql, const DbParams& params, int def = 0) = 0;
    virtual double queryDouble(const tessel::String& sql, const DbParams& params, double def = 0) = 0;
    virtual tessel::String& queryString(tessel::String& out, const tessel::String& sql, const DbParams& params,
                                        const char16_t* def = nullptr) = 0;

    virtual bool createCommand(IDbCommand** out) = 0;
    virtual bool getAdmin(IDbAdmin** out) = 0;

    // The transaction DbTransaction runs. begin refuses to nest. Once the
    // database has abandoned a transaction by itself (a full disk, an I/O
    // error), every statement is refused until it is rolled back, so that
    // the rest of the work is not committed piece by piece.
    virtual bool beginTransaction() = 0;
    virtual bool commitTransaction() = 0;
    virtual bool rollbackTransaction() = 0;
    virtual bool inTransaction() = 0;

    // Between beginReads and endReads the queries share one read
    // transaction, begun by the first of them: they see one state of the
    // database and take its locks once. A statement that writes, a
    // transaction, a switch of database or a backup ends it first, so that
    // changes commit as they do without it; the next query begins a new
    // one. inTransaction does not count it.
    virtual void beginReads() = 0;
    virtual void endReads() = 0;

    // Writes a consistent copy of the open database to `path` (replacing a
    // file there only once the copy is complete). Refused inside a
    // transaction, whose uncommitted work would be copied too.
    virtual bool backupTo(const tessel::String& path) = 0;
};
