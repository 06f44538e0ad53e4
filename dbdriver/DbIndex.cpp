#include "dbdriver/DbIndex.h"

#include "dbdriver/SqlText.h"

using tessel::String;

DbIndex::DbIndex(const String& name, const std::vector<String>& columns, bool unique)
    : name_(name), columns_(columns), unique_(unique)
{
}

String DbIndex::columnList(const std::vector<String>& columns)
{
    String out;
    for (size_t i = 0; i < columns.size(); i++) {
        if (i > 0)
            out += u", ";
        out += SqlText::quoteIdentifier(columns[i]);
    }
    return out;
}

String DbIndex::createStatement(const String& table) const
{
    String out(unique_ ? u"CREATE UNIQUE INDEX " : u"CREATE INDEX ");
    out += SqlText::quoteIdentifier(name_);
    out += u" ON ";
    out += SqlText::quoteIdentifier(table);
    out += u"(";
    out += columnList(columns_);
    out += u")";
    return out;
}
