#include "tessel/web/DateFunctions.h"

#include <cmath>

#include "tessel/core/Date.h"
#include "tessel/core/DateTime.h"

namespace tessel {

namespace {

constexpr int SMALLEST_DATE_NUMBER = 10000000;
// Far beyond any date a page shows, and well inside what the clock takes.
constexpr double LARGEST_TIME = 253402300799.0; // 9999-12-31 23:59:59

// The local date and time of the seconds in parameter P1, or nothing.
String localTimeText(double seconds)
{
    if (!(std::fabs(seconds) <= LARGEST_TIME))
        return String();
    return DateTime::dateOf(static_cast<int64_t>(seconds));
}

String cut(const String& text, int length)
{
    return length > 0 ? text.substr(0, length) : text;
}

// The three integers of a "year-month-day" text; false unless it has
// exactly three parts.
bool dateParts(const String& text, int parts[3])
{
    Array<String> pieces;
    if (text.split(u"-", pieces) != 3)
        return false;
    for (int i = 0; i < 3; i++)
        parts[i] = pieces[i]->toInteger();
    return true;
}

} // namespace

void Int2DateFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int number = integer(0, data);
    if (number < SMALLEST_DATE_NUMBER)
        return;
    String text;
    text.format(u"%04d-%02d-%02d", number / 10000, number / 100 % 100, number % 100);
    give(out, text);
}

void Date2IntFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    Date date;
    if (!date.parseDate(text(0, data).c_str()))
        return;
    String text = date.format(u"%Y%m%d");
    if (!text.empty())
        give(out, text);
}

void DateOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String text = localTimeText(number(0, data));
    if (!text.empty())
        give(out, cut(text, integer(1, data)));
}

void TimeOfFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    String text = localTimeText(number(0, data));
    int space = text.indexOf(u' ');
    if (space >= 0)
        give(out, cut(text.substr(space + 1), integer(1, data)));
}

void LongDateFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int parts[3];
    if (!dateParts(text(0, data), parts))
        return;
    String text;
    text.format(u"%d年%d月%d日", parts[0], parts[1], parts[2]);
    give(out, text);
}

void ShortDateFunction::evaluate(Ref<AnyValue>& out, Value* data)
{
    int parts[3];
    if (!dateParts(text(0, data).substr(0, 10), parts))
        return;
    String text;
    text.format(u"%d月%d日", parts[1], parts[2]);
    give(out, text);
}

} // namespace tessel
