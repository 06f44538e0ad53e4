#include "dbdriver/DbTable.h"

#include "dbdriver/SqlText.h"

using tessel::String;

DbTable::DbTable(const String& name, const String& title) : name_(name), title_(title) {}

bool DbTable::isValid() const
{
    return SqlText::isIdentifier(name_) && !columns_.empty();
}

const DbColumn* DbTable::getColumn(int index) const
{
    if (index < 0 || index >= columns())
        return nullptr;
    return &columns_[index];
}

int DbTable::findColumn(const String& name) const
{
    for (int i = 0; i < columns(); i++)
        if (columns_[i].getName().equalsIgnoreCase(name))
            return i;
    return -1;
}

bool DbTable::hasKeyColumn() const
{
    for (const DbColumn& column : columns_)
        if (column.getType() == DbColumn::KEY)
            return true;
    return false;
}

bool DbTable::knowsAll(const std::vector<String>& columns) const
{
    if (columns.empty())
        return false;
    for (size_t i = 0; i < columns.size(); i++) {
        if (findColumn(columns[i]) < 0)
            return false;
        for (size_t j = 0; j < i; j++)
            if (columns[j].equalsIgnoreCase(columns[i]))
                return false;
    }
    return true;
}

bool DbTable::addColumn(const DbColumn& column)
{
    if (columns() >= MAX_COLUMNS || !SqlText::isIdentifier(column.getName()) || findColumn(column.getName()) >= 0)
        return false;
    // A table has one key: one KEY column or a primary key, not both.
    if (column.getType() == DbColumn::KEY && (hasKeyColumn() || !primaryKey_.empty()))
        return false;
    columns_.push_back(column);
    return true;
}

bool DbTable::setPrimaryKey(const std::vector<String>& columns)
{
    if (!primaryKey_.empty() || hasKeyColumn() || !knowsAll(columns))
        return false;
    primaryKey_ = columns;
    return true;
}

bool DbTable::addUnique(const std::vector<String>& columns)
{
    if (!knowsAll(columns))
        return false;
    uniques_.push_back(columns);
    return true;
}

const DbIndex* DbTable::getIndex(int index) const
{
    if (index < 0 || index >= indexes())
        return nullptr;
    return &indexes_[index];
}

bool DbTable::addIndex(const String& name, const std::vector<String>& columns, bool unique)
{
    if (!knowsAll(columns))
        return false;
    String indexName = name;
    if (indexName.empty()) {
        indexName = name_;
        for (const String& column : columns)
            indexName += String(u"_") + column;
    }
    if (!SqlText::isIdentifier(indexName))
        return false;
    for (const DbIndex& index : indexes_)
        if (index.getName().equalsIgnoreCase(indexName))
            return false;
    indexes_.emplace_back(indexName, columns, unique);
    return true;
}

String DbTable::createStatement() const
{
    String out(u"CREATE TABLE ");
    out += SqlText::quoteIdentifier(name_);
    out += u" (";
    for (int i = 0; i < columns(); i++) {
        if (i > 0)
            out += u", ";
        out += columns_[i].definition();
    }
    if (!primaryKey_.empty())
        out += String(u", PRIMARY KEY(") + DbIndex::columnList(primaryKey_) + u")";
    for (const auto& unique : uniques_)
        out += String(u", UNIQUE(") + DbIndex::columnList(unique) + u")";
    out += u")";
    return out;
}
