#include "dbdriver/DbColumn.h"

#include <cmath>

#include "dbdriver/SqlText.h"

using tessel::String;

DbColumn::DbColumn(const String& name, Type type) : name_(name), type_(type) {}

bool DbColumn::typeFromName(const String& word, Type& out)
{
    static const struct {
        const char16_t* name;
        Type type;
    } names[] = {
        {u"key", KEY}, {u"int", INT}, {u"real", REAL}, {u"text", TEXT}, {u"date", DATE},
    };
    for (const auto& entry : names) {
        if (word.equalsIgnoreCase(entry.name)) {
            out = entry.type;
            return true;
        }
    }
    return false;
}

bool DbColumn::setDefault(const String& value)
{
    int64_t whole = 0;
    double number = 0;
    switch (type_) {
    case KEY: return false;
    case INT:
        if (!SqlText::parseInt64(value, whole))
            return false;
        break;
    case REAL:
        // SQL has no literal for infinity or NaN.
        if (!SqlText::parseDouble(value, number) || !std::isfinite(number))
            return false;
        break;
    case TEXT:
    case DATE: break;
    }
    default_ = value;
    hasDefault_ = true;
    return true;
}

const char16_t* DbColumn::sqlType() const
{
    switch (type_) {
    case KEY: return u"INTEGER PRIMARY KEY AUTOINCREMENT";
    case INT: return u"INTEGER";
    case REAL: return u"REAL";
    case TEXT:
    case DATE: return u"TEXT";
    }
    return u"TEXT";
}

String DbColumn::defaultClause() const
{
    if (hasDefault_) {
        if (type_ == INT || type_ == REAL)
            return String(u" DEFAULT ") + default_;
        return String(u" DEFAULT ") + SqlText::quoteLiteral(default_);
    }
    switch (type_) {
    case INT: return String(u" DEFAULT 0");
    case REAL: return String(u" DEFAULT 0.0");
    case TEXT: return String(u" DEFAULT ''");
    case KEY:
    case DATE: break;
    }
    return String();
}

String DbColumn::definition() const
{
    String out = SqlText::quoteIdentifier(name_);
    out += u" ";
    out += sqlType();
    if (notNull_ && type_ != KEY)
        out += u" NOT NULL";
    if (unique_ && type_ != KEY)
        out += u" UNIQUE";
    out += defaultClause();
    return out;
}
