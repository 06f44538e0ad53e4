#include "dbdriver/DbSchemaReader.h"

#include "tessel/core/XmlParser.h"

#include "dbdriver/DbDatabase.h"

using tessel::Ref;
using tessel::String;

DbSchemaReader::DbSchemaReader(tessel::XmlParser& parser, DbDatabase& database) : parser_(parser), database_(database)
{
}

bool DbSchemaReader::read()
{
    String tag;
    while (parser_.nextTag(tag)) {
        if (tag.empty())
            continue; // a processing instruction
        if (tag[0] == u'/') {
            endElement(tag.substr(1));
            continue;
        }
        parser_.initAttrs();
        if (!startElement(tag))
            return false;
    }
    return sawDatabase_ && isComplete();
}

// Columns arrive after their table, so only the whole document tells
// whether each table has some. Tables and indexes share SQLite's one
// namespace: no name may be used twice.
bool DbSchemaReader::isComplete() const
{
    std::vector<String> names;
    auto unused = [&names](const String& name) {
        for (const String& other : names)
            if (other.equalsIgnoreCase(name))
                return false;
        names.push_back(name);
        return true;
    };
    for (int i = 0; i < database_.tables(); i++) {
        DbTable* table = database_.getTable(i);
        if (!table->isValid() || !unused(table->getName()))
            return false;
        for (int j = 0; j < table->indexes(); j++)
            if (!unused(table->getIndex(j)->getName()))
                return false;
    }
    return true;
}

bool DbSchemaReader::startElement(const String& tag)
{
    if (tag.equalsIgnoreCase(u"database")) {
        sawDatabase_ = true;
        database_.setName(attribute(u"name"));
        return true;
    }
    if (tag.equalsIgnoreCase(u"table"))
        return readTable();
    if (tag.equalsIgnoreCase(u"column"))
        return readColumn();
    if (tag.equalsIgnoreCase(u"primary") || tag.equalsIgnoreCase(u"unique") || tag.equalsIgnoreCase(u"index"))
        return readKeyOrIndex(tag);
    if (tag.equalsIgnoreCase(u"dataset"))
        return readDataset();
    if (tag.equalsIgnoreCase(u"row"))
        return readRow();
    if (tag.equalsIgnoreCase(u"null"))
        return readNull();
    return true;
}

void DbSchemaReader::endElement(const String& tag)
{
    if (tag.equalsIgnoreCase(u"table")) {
        table_ = nullptr;
    } else if (tag.equalsIgnoreCase(u"dataset")) {
        dataset_ = nullptr;
        row_ = -1;
    } else if (tag.equalsIgnoreCase(u"row")) {
        row_ = -1;
    }
}

bool DbSchemaReader::readTable()
{
    dataset_ = nullptr;
    row_ = -1;
    Ref<DbTable> table = new DbTable(attribute(u"name"), attribute(u"title"));
    if (!database_.addTable(table))
        return false;
    table_ = table;
    return true;
}

bool DbSchemaReader::readColumn()
{
    if (!table_)
        return false;
    DbColumn::Type type;
    if (!DbColumn::typeFromName(attribute(u"type"), type))
        return false;
    DbColumn column(attribute(u"name"), type);
    column.setTitle(attribute(u"title"));
    column.setNotNull(flag(u"notnull"));
    column.setUnique(flag(u"unique"));
    if (hasAttribute(u"default") && !column.setDefault(attribute(u"default")))
        return false;
    return table_->addColumn(column);
}

bool DbSchemaReader::readKeyOrIndex(const String& tag)
{
    if (!table_)
        return false;
    std::vector<String> columns = nameList(u"columns");
    if (tag.equalsIgnoreCase(u"primary"))
        return table_->setPrimaryKey(columns);
    if (tag.equalsIgnoreCase(u"unique"))
        return table_->addUnique(columns);
    return table_->addIndex(attribute(u"name"), columns, flag(u"unique"));
}

bool DbSchemaReader::readDataset()
{
    table_ = nullptr;
    row_ = -1;
    String table = attribute(u"table");
    if (table.empty())
        return false;
    Ref<DbDataset> dataset = new DbDataset(table);
    database_.addDataset(dataset);
    dataset_ = dataset;
    return true;
}

bool DbSchemaReader::readRow()
{
    if (!dataset_)
        return false;
    DbRow& row = dataset_->addRow();
    row_ = dataset_->rows() - 1;
    for (const auto& entry : parser_.getAttrs())
        row.set(entry.first, entry.second);
    return true;
}

bool DbSchemaReader::readNull()
{
    if (!dataset_ || row_ < 0)
        return false;
    String column = attribute(u"column");
    if (column.empty())
        return false;
    dataset_->getRow(row_)->setNull(column);
    return true;
}

// ----------------------------------------------------------------- attributes

bool DbSchemaReader::hasAttribute(const char16_t* name) const
{
    for (const auto& entry : parser_.getAttrs())
        if (entry.first.equalsIgnoreCase(name))
            return true;
    return false;
}

String DbSchemaReader::attribute(const char16_t* name) const
{
    for (const auto& entry : parser_.getAttrs())
        if (entry.first.equalsIgnoreCase(name))
            return entry.second;
    return String();
}

bool DbSchemaReader::flag(const char16_t* name) const
{
    return tessel::XmlParser::toBool(attribute(name));
}

std::vector<String> DbSchemaReader::nameList(const char16_t* name) const
{
    tessel::Array<String> parts;
    attribute(name).split(u",", parts);
    std::vector<String> names;
    for (int i = 0; i < parts.size(); i++) {
        String part = *parts[i];
        part.trim();
        names.push_back(part);
    }
    return names;
}
