#include "dbdriver/SqliteStatement.h"

#include <sqlite3.h>

#include "dbdriver/SqliteConnection.h"

using tessel::String;

SqliteStatement::SqliteStatement(SqliteConnection* connection, sqlite3_stmt* statement)
    : connection_(connection), statement_(statement)
{
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : connection_(std::move(other.connection_)), statement_(other.statement_)
{
    other.statement_ = nullptr;
}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept
{
    if (this != &other) {
        reset();
        connection_ = std::move(other.connection_);
        statement_ = other.statement_;
        other.statement_ = nullptr;
    }
    return *this;
}

SqliteStatement::~SqliteStatement()
{
    reset();
}

void SqliteStatement::reset()
{
    if (statement_ && connection_)
        connection_->giveBack(statement_);
    statement_ = nullptr;
    connection_.reset();
}

int SqliteStatement::step()
{
    return statement_ ? sqlite3_step(statement_) : SQLITE_MISUSE;
}

bool SqliteStatement::run()
{
    int rc;
    while ((rc = step()) == SQLITE_ROW) {
    }
    return rc == SQLITE_DONE;
}

void SqliteStatement::rewind()
{
    if (statement_)
        sqlite3_reset(statement_);
}

int SqliteStatement::columnCount() const
{
    return statement_ ? sqlite3_column_count(statement_) : 0;
}

bool SqliteStatement::isQuery() const
{
    return statement_ && sqlite3_stmt_readonly(statement_) && sqlite3_column_count(statement_) > 0;
}

String SqliteStatement::columnName(int index) const
{
    if (index < 0 || index >= columnCount())
        return String();
    auto name = static_cast<const char16_t*>(sqlite3_column_name16(statement_, index));
    return String(name ? name : u"");
}

int SqliteStatement::type(int index) const
{
    if (index < 0 || index >= columnCount())
        return SQLITE_NULL;
    return sqlite3_column_type(statement_, index);
}

bool SqliteStatement::isNull(int index) const
{
    return type(index) == SQLITE_NULL;
}

String SqliteStatement::text(int index) const
{
    if (isNull(index))
        return String();
    auto text = static_cast<const char16_t*>(sqlite3_column_text16(statement_, index));
    int units = sqlite3_column_bytes16(statement_, index) / 2;
    if (!text || units <= 0)
        return String();
    return String(text, units);
}

int64_t SqliteStatement::int64At(int index) const
{
    return isNull(index) ? 0 : sqlite3_column_int64(statement_, index);
}

double SqliteStatement::doubleAt(int index) const
{
    return isNull(index) ? 0 : sqlite3_column_double(statement_, index);
}

bool SqliteStatement::bindText(int index, const String& text)
{
    return statement_ &&
           sqlite3_bind_text16(statement_, index, text.c_str(), text.size() * 2, SQLITE_TRANSIENT) == SQLITE_OK;
}

bool SqliteStatement::bindInt64(int index, int64_t value)
{
    return statement_ && sqlite3_bind_int64(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::bindDouble(int index, double value)
{
    return statement_ && sqlite3_bind_double(statement_, index, value) == SQLITE_OK;
}

bool SqliteStatement::bindNull(int index)
{
    return statement_ && sqlite3_bind_null(statement_, index) == SQLITE_OK;
}

bool SqliteStatement::bind(const DbParams& params, String& error)
{
    if (!statement_)
        return false;
    int expected = sqlite3_bind_parameter_count(statement_);
    if (expected != params.size()) {
        error.format(u"the statement takes %d values, %d were given", expected, params.size());
        return false;
    }
    for (int i = 0; i < params.size(); i++) {
        const DbParam& param = params.at(i);
        bool bound = false;
        switch (param.kind()) {
        case DbParam::NONE: bound = bindNull(i + 1); break;
        case DbParam::INTEGER: bound = bindInt64(i + 1, param.integer()); break;
        case DbParam::REAL: bound = bindDouble(i + 1, param.real()); break;
        case DbParam::TEXT: bound = bindText(i + 1, param.text()); break;
        }
        if (!bound) {
            error = errorText();
            return false;
        }
    }
    return true;
}

String SqliteStatement::errorText() const
{
    if (!statement_)
        return String(u"no statement");
    return String::fromUTF8(sqlite3_errmsg(sqlite3_db_handle(statement_)));
}
