#include "quillot/frame/ListQuery.h"

using tessel::String;

ListQuery::ListQuery(const String& columns, const String& from, const String& order,
                     std::initializer_list<const char16_t*> filterable)
    : columns_(columns), from_(from), order_(order)
{
    for (const char16_t* column : filterable)
        filterable_.emplace_back(column);
}

ListQuery& ListQuery::where(const String& condition)
{
    where_ = condition.empty() ? String(u"1=1") : condition;
    return *this;
}

ListQuery& ListQuery::pageSize(int rows)
{
    if (rows >= 1)
        pageSize_ = rows;
    return *this;
}

bool ListQuery::isFilterable(const String& column) const
{
    for (const String& allowed : filterable_)
        if (allowed == column)
            return true;
    return false;
}

String ListQuery::countSql(const String& clause) const
{
    return String(u"SELECT count(*) ") + from_ + u" WHERE " + where_ + clause;
}

String ListQuery::rowsSql(const String& clause) const
{
    return String(u"SELECT ") + columns_ + u" " + from_ + u" WHERE " + where_ + clause + order_;
}
