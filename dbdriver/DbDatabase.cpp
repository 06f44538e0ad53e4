#include "dbdriver/DbDatabase.h"

#include "dbdriver/DbSchemaReader.h"
#include "dbdriver/SqlText.h"

using tessel::String;

bool DbDatabase::parseXML(tessel::XmlParser& parser)
{
    clear();
    if (DbSchemaReader(parser, *this).read())
        return true;
    clear();
    return false;
}

void DbDatabase::clear()
{
    name_.clear();
    tables_.clear();
    datasets_.clear();
}

DbTable* DbDatabase::findTable(const String& name) const
{
    for (int i = 0; i < tables_.size(); i++)
        if (tables_[i]->getName().equalsIgnoreCase(name))
            return tables_[i];
    return nullptr;
}

bool DbDatabase::addTable(DbTable* table)
{
    if (!table || !SqlText::isIdentifier(table->getName()) || findTable(table->getName()))
        return false;
    tables_.add(table);
    return true;
}

void DbDatabase::addDataset(DbDataset* dataset)
{
    if (dataset)
        datasets_.add(dataset);
}
