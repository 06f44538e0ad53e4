#include "dbdriver/SqliteCursor.h"

#include <sqlite3.h>

#include "dbdriver/SqliteSession.h"

using tessel::String;
using tessel::Value;

SqliteCursor::SqliteCursor(SqliteSession* session, SqliteStatement statement, int offset, int limit)
    : session_(session), statement_(std::move(statement)), skip_(offset > 0 ? offset : 0),
      remaining_(limit > 0 ? limit : -1)
{
    // The names stay readable after the statement has gone back.
    for (int i = 0; i < statement_.columnCount(); i++)
        names_.push_back(statement_.columnName(i));
}

void SqliteCursor::finish(int rc)
{
    if (rc != SQLITE_DONE && rc != SQLITE_ROW && session_)
        session_->setError(statement_.errorText());
    onRow_ = false;
    done_ = true;
    statement_.reset();
}

bool SqliteCursor::step()
{
    int rc = statement_.step();
    if (rc == SQLITE_ROW)
        return true;
    finish(rc);
    return false;
}

bool SqliteCursor::next()
{
    if (done_)
        return false;
    for (; skip_ > 0; skip_--)
        if (!step())
            return false;
    if (remaining_ == 0) {
        finish(SQLITE_DONE);
        return false;
    }
    onRow_ = step();
    if (onRow_ && remaining_ > 0)
        remaining_--;
    return onRow_;
}

int SqliteCursor::columnCount()
{
    return static_cast<int>(names_.size());
}

int SqliteCursor::getColumnIndex(const String& name)
{
    for (int i = 0; i < columnCount(); i++)
        if (names_[i].equalsIgnoreCase(name))
            return i;
    return -1;
}

const String& SqliteCursor::getColumnName(String& out, int index)
{
    out = index >= 0 && index < columnCount() ? names_[index] : String();
    return out;
}

bool SqliteCursor::isNull(int index)
{
    return !onRow_ || statement_.isNull(index);
}

const String& SqliteCursor::getStringAt(String& out, int index)
{
    out = onRow_ ? statement_.text(index) : String();
    return out;
}

const String& SqliteCursor::getString(String& out, const String& name)
{
    return getStringAt(out, getColumnIndex(name));
}

int SqliteCursor::getIntAt(int index)
{
    return onRow_ ? static_cast<int>(statement_.int64At(index)) : 0;
}

int SqliteCursor::getInt(const String& name)
{
    return getIntAt(getColumnIndex(name));
}

double SqliteCursor::getDoubleAt(int index)
{
    return onRow_ ? statement_.doubleAt(index) : 0;
}

double SqliteCursor::getDouble(const String& name)
{
    return getDoubleAt(getColumnIndex(name));
}

bool SqliteCursor::fetchRow(Value* row)
{
    if (!row || !onRow_)
        return false;
    for (int i = 0; i < columnCount(); i++) {
        String key = names_[i];
        key.replace(u'.', u'_');
        if (!key.empty())
            row->insert(key, statement_.text(i));
    }
    return true;
}
