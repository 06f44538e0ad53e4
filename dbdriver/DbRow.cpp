#include "dbdriver/DbRow.h"

using tessel::String;

namespace {
const String& none()
{
    static const String empty;
    return empty;
}
} // namespace

const String& DbRow::getColumn(int index) const
{
    return index >= 0 && index < size() ? fields_[index].column : none();
}

const String& DbRow::getValue(int index) const
{
    return index >= 0 && index < size() ? fields_[index].value : none();
}

bool DbRow::isNull(int index) const
{
    return index >= 0 && index < size() && fields_[index].null;
}

int DbRow::indexOf(const String& column) const
{
    for (int i = 0; i < size(); i++)
        if (fields_[i].column.equalsIgnoreCase(column))
            return i;
    return -1;
}

void DbRow::put(const String& column, const String& value, bool null)
{
    int at = indexOf(column);
    if (at >= 0) {
        fields_[at].value = value;
        fields_[at].null = null;
        return;
    }
    fields_.push_back(Field{column, value, null});
}

void DbRow::set(const String& column, const String& value)
{
    put(column, value, false);
}

void DbRow::setNull(const String& column)
{
    put(column, String(), true);
}
