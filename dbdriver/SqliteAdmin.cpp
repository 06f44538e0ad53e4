#include "dbdriver/SqliteAdmin.h"

#include <sqlite3.h>

#include "dbdriver/DbDatabase.h"
#include "dbdriver/SqlText.h"
#include "dbdriver/SqliteConnection.h"
#include "dbdriver/SqliteSession.h"
#include "dbdriver/SqliteStatement.h"

using tessel::Ref;
using tessel::String;

namespace {

const char16_t* const SAVEPOINT = u"SAVEPOINT load_dataset";
const char16_t* const RELEASE = u"RELEASE load_dataset";
const char16_t* const ROLLBACK_TO = u"ROLLBACK TO load_dataset";

// Attribute values keep every character as it is except the four the
// parser would take for markup; line ends stay raw inside the quotes.
void appendAttribute(String& out, const String& value)
{
    for (int i = 0; i < value.size(); i++) {
        switch (value[i]) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        default: out += value[i]; break;
        }
    }
}

void rollbackWork(SqliteConnection& connection)
{
    String ignored;
    if (connection.inTransaction())
        connection.execute(u"ROLLBACK", ignored);
}

} // namespace

SqliteAdmin::SqliteAdmin(SqliteSession* session) : session_(session) {}

bool SqliteAdmin::fail(const String& error)
{
    if (session_)
        session_->setError(error);
    return false;
}

SqliteAdmin::Affinity SqliteAdmin::affinityOf(const String& declaredType)
{
    // SQLite's own rules, in its order.
    if (declaredType.indexOfIgnoreCase(u"INT") >= 0)
        return AFFINITY_INTEGER;
    if (declaredType.indexOfIgnoreCase(u"CHAR") >= 0 || declaredType.indexOfIgnoreCase(u"CLOB") >= 0 ||
        declaredType.indexOfIgnoreCase(u"TEXT") >= 0)
        return AFFINITY_TEXT;
    if (declaredType.empty() || declaredType.indexOfIgnoreCase(u"BLOB") >= 0)
        return AFFINITY_NONE;
    if (declaredType.indexOfIgnoreCase(u"REAL") >= 0 || declaredType.indexOfIgnoreCase(u"FLOA") >= 0 ||
        declaredType.indexOfIgnoreCase(u"DOUB") >= 0)
        return AFFINITY_REAL;
    return AFFINITY_NUMERIC;
}

bool SqliteAdmin::readColumns(SqliteConnection& connection, const String& table, Columns& out, String& error)
{
    out.clear();
    SqliteStatement statement;
    if (SqlText::isIdentifier(table)) {
        if (!connection.prepare(u"SELECT name, type FROM pragma_table_info(?)", statement, error))
            return false;
        statement.bindText(1, table);
        while (statement.step() == SQLITE_ROW)
            out.push_back(Column{statement.text(0), affinityOf(statement.text(1))});
    }
    if (out.empty()) {
        error = String(u"unknown table: ") + table;
        return false;
    }
    return true;
}

// ----------------------------------------------------------------- creating

bool SqliteAdmin::createTables(DbDatabase* schema, bool withDatasets)
{
    if (!session_ || !schema)
        return fail(u"no schema");
    const String& name = schema->getName();
    if (!SqliteSession::isBareName(name))
        return fail(u"not a database name");
    if (schema->tables() == 0)
        return fail(u"the schema has no tables");
    if (!session_->canSwitch())
        return false;
    std::string path = session_->pathOf(name);
    String error;
    Ref<SqliteConnection> created;
    created.adopt(SqliteConnection::open(path, SqliteConnection::CREATE_NEW, error));
    if (!created)
        return fail(error);
    if (!build(*created, *schema, withDatasets, error)) {
        created.reset();
        SqliteConnection::removeFiles(path);
        return fail(error);
    }
    session_->adopt(created, name);
    return true;
}

bool SqliteAdmin::build(SqliteConnection& connection, DbDatabase& schema, bool withDatasets, String& error)
{
    if (!connection.execute(u"BEGIN IMMEDIATE", error))
        return false;
    bool ok = true;
    for (int i = 0; ok && i < schema.tables(); i++) {
        DbTable* table = schema.getTable(i);
        ok = connection.execute(table->createStatement(), error);
        for (int j = 0; ok && j < table->indexes(); j++)
            ok = connection.execute(table->getIndex(j)->createStatement(table->getName()), error);
        if (!ok)
            error = table->getName() + u": " + error;
    }
    for (int i = 0; ok && withDatasets && i < schema.datasets(); i++)
        ok = load(connection, *schema.getDataset(i), false, error);
    ok = ok && connection.execute(u"COMMIT", error);
    if (!ok)
        rollbackWork(connection);
    return ok;
}

// ----------------------------------------------------------------- loading

bool SqliteAdmin::loadDataset(DbDataset* dataset, bool replace)
{
    if (!session_ || !dataset)
        return fail(u"no dataset");
    if (!session_->readyToChange())
        return false;
    String error;
    if (!load(*session_->connection(), *dataset, replace, error))
        return fail(error);
    return true;
}

bool SqliteAdmin::load(SqliteConnection& connection, DbDataset& dataset, bool replace, String& error)
{
    Columns columns;
    if (!readColumns(connection, dataset.getTable(), columns, error))
        return false;
    // A savepoint nests in the caller's transaction, or is a transaction
    // of its own: either way the dataset loads whole or not at all.
    if (!connection.execute(SAVEPOINT, error))
        return false;
    bool ok = true;
    if (replace)
        ok = connection.execute(String(u"DELETE FROM ") + SqlText::quoteIdentifier(dataset.getTable()), error);
    ok = ok && insertRows(connection, dataset, columns, error) && connection.execute(RELEASE, error);
    if (!ok) {
        String ignored;
        connection.execute(ROLLBACK_TO, ignored);
        connection.execute(RELEASE, ignored);
    }
    return ok;
}

bool SqliteAdmin::insertRows(SqliteConnection& connection, DbDataset& dataset, const Columns& columns, String& error)
{
    for (int i = 0; i < dataset.rows(); i++)
        if (!insertRow(connection, dataset.getTable(), *dataset.getRow(i), columns, error))
            return false;
    return true;
}

bool SqliteAdmin::insertRow(SqliteConnection& connection, const String& table, const DbRow& row, const Columns& columns,
                            String& error)
{
    std::vector<int> target; // the column of each field
    String names;
    String marks;
    for (int field = 0; field < row.size(); field++) {
        int found = -1;
        for (size_t c = 0; c < columns.size() && found < 0; c++)
            if (columns[c].name.equalsIgnoreCase(row.getColumn(field)))
                found = static_cast<int>(c);
        if (found < 0) {
            error = String(u"unknown column: ") + table + u"." + row.getColumn(field);
            return false;
        }
        target.push_back(found);
        names += String(field ? u", " : u"") + SqlText::quoteIdentifier(columns[found].name);
        marks += field ? u", ?" : u"?";
    }
    String sql = String(u"INSERT INTO ") + SqlText::quoteIdentifier(table);
    sql += row.size() ? String(u"(") + names + u") VALUES(" + marks + u")" : String(u" DEFAULT VALUES");
    SqliteStatement statement;
    if (!connection.prepare(sql, statement, error))
        return false;
    for (int field = 0; field < row.size(); field++) {
        if (!bindValue(statement, field + 1, row, field, columns[target[field]].affinity)) {
            error = statement.errorText();
            return false;
        }
    }
    if (!statement.run()) {
        error = table + u": " + statement.errorText();
        return false;
    }
    return true;
}

// Numbers are bound as numbers where the column would turn the text into
// one anyway; the conversion here is exact, so a REAL written with 17
// digits reads back as the same double.
bool SqliteAdmin::bindValue(SqliteStatement& statement, int index, const DbRow& row, int field, Affinity affinity)
{
    if (row.isNull(field))
        return statement.bindNull(index);
    const String& value = row.getValue(field);
    int64_t whole = 0;
    double number = 0;
    switch (affinity) {
    case AFFINITY_TEXT: break;
    case AFFINITY_REAL:
        if (SqlText::parseDouble(value, number))
            return statement.bindDouble(index, number);
        break;
    case AFFINITY_INTEGER:
    case AFFINITY_NUMERIC:
    case AFFINITY_NONE:
        if (SqlText::parseInt64(value, whole))
            return statement.bindInt64(index, whole);
        if (SqlText::parseDouble(value, number))
            return statement.bindDouble(index, number);
        break;
    }
    return statement.bindText(index, value);
}

// ----------------------------------------------------------------- export

bool SqliteAdmin::exportTable(const String& table, String& xml)
{
    xml.clear();
    if (!session_ || !session_->ready())
        return false;
    SqliteConnection& connection = *session_->connection();
    String error;
    Columns columns;
    if (!readColumns(connection, table, columns, error))
        return fail(error);
    // Column names become attribute names.
    for (const Column& column : columns)
        if (!SqlText::isIdentifier(column.name))
            return fail(String(u"cannot export the column ") + column.name);
    SqliteStatement statement;
    if (!connection.prepare(String(u"SELECT * FROM ") + SqlText::quoteIdentifier(table), statement, error))
        return fail(error);
    String out(u"<dataset table=\"");
    appendAttribute(out, table);
    out += u"\">\n";
    int rc;
    while ((rc = statement.step()) == SQLITE_ROW)
        writeRow(statement, columns, out);
    if (rc != SQLITE_DONE)
        return fail(statement.errorText());
    out += u"</dataset>\n";
    xml = out;
    return true;
}

void SqliteAdmin::writeRow(const SqliteStatement& statement, const Columns& columns, String& out)
{
    out += u"<row";
    String nulls;
    for (size_t i = 0; i < columns.size(); i++) {
        int index = static_cast<int>(i);
        int type = statement.type(index);
        if (type == SQLITE_NULL) {
            nulls += String(u"<null column=\"") + columns[i].name + u"\"/>";
            continue;
        }
        out += u" ";
        out += columns[i].name;
        out += u"=\"";
        if (type == SQLITE_INTEGER)
            out += SqlText::formatInt64(statement.int64At(index));
        else if (type == SQLITE_FLOAT)
            out += SqlText::formatDouble(statement.doubleAt(index));
        else
            appendAttribute(out, statement.text(index));
        out += u"\"";
    }
    if (nulls.empty())
        out += u"/>\n";
    else
        out += String(u">") + nulls + u"</row>\n";
}
