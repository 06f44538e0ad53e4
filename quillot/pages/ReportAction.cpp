#include "quillot/pages/ReportAction.h"

#include <algorithm>
#include <vector>

#include "quillot/frame/Rounding.h"
#include "quillot/frame/Side.h"
#include "quillot/frame/TableClass.h"

using tessel::Date;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<ReportAction> registration(u"Report");

const char16_t* const MONTH_COLUMNS[] = {u"prev3", u"prev2", u"prev1", u"month", u"next1", u"next2", u"next3"};
constexpr int MONTH_INDEX = 3;
// The width of one month in the chart.
constexpr int CHART_STEP = 100;

// A month of the report's timeline: the current month comes twice, first
// with its figures, then as a forecast.
struct Slot {
    int year, month;
    bool forecast;
};

int monthNumber(int year, int month)
{
    return year * 12 + (month - 1);
}

Slot slotAt(int number, bool forecast)
{
    return {number / 12, number % 12 + 1, forecast};
}

// The slots `offset` places from `anchor` on the timeline of the current
// month `current`.
Slot step(const Slot& anchor, int offset, int current)
{
    // Position on the timeline: months before the current one count once,
    // the current one twice (actual, forecast), later ones once.
    auto position = [current](const Slot& slot) {
        int number = monthNumber(slot.year, slot.month);
        return number < current ? number : number == current ? current + (slot.forecast ? 1 : 0) : number + 1;
    };
    int target = position(anchor) + offset;
    if (target <= current)
        return slotAt(target, false);
    if (target == current + 1)
        return slotAt(current, true);
    return slotAt(target - 1, true);
}

String monthName(const Slot& slot)
{
    String name;
    name.format(u"%04d-%02d", slot.year, slot.month);
    return slot.forecast ? name + u"(预计)" : name;
}

int daysIn(int year, int month)
{
    int day = 31;
    while (day > 28 && !Date::isValidDate(year, month, day))
        day--;
    return day;
}

bool parsed(const String& text, Date& out)
{
    String trimmed(text);
    trimmed.trim();
    return !trimmed.empty() && out.parseDate(trimmed.c_str()) && out.isValid();
}
} // namespace

void ReportAction::execute()
{
    runCommand<ReportAction>(this, {{u"", &ReportAction::_show}});
}

void ReportAction::_readDates(const Date& today, Date& begins, Date& ends, Date& month, bool& forecastFirst)
{
    Value* fields = form();
    int year = 0, mon = 0, day = 0, weekday = 0;
    today.getDate(year, mon, day, weekday);
    if (!isPost() || !parsed(fields->getAt(u"begins"), begins))
        begins = Date(year, 1, 1);
    if (!isPost() || !parsed(fields->getAt(u"ends"), ends))
        ends = today;
    String given = fields->getAt(u"month");
    given.trim();
    // "2026-12" or "2026-12a": the month, and "a" for its forecast copy.
    String first = given.substr(0, 7) + u"-01";
    if (!isPost() || given.size() < 7 || !parsed(first, month)) {
        month = Date(year, mon, 1);
        forecastFirst = true;
    } else {
        forecastFirst = given.size() > 7 && given[given.size() - 1] == u'a';
    }
    fields->insert(u"begins", begins.toString());
    fields->insert(u"ends", ends.toString());
    fields->insert(u"month", month.format(u"%Y-%m") + (forecastFirst ? u"a" : u""));
}

ReportTable::Filter ReportAction::_filter()
{
    Value* fields = form();
    ReportTable table(*this);
    if (isPost()) {
        for (const Side* side : {&Side::sales(), &Side::purchase()}) {
            String name = TableClass::textOf(fields, side->partnerName);
            if (!name.empty()) {
                int id = table.partnerIdByName(*side, name);
                fields->insert(side->partnerKey, id > 0 ? id : -1);
            }
        }
    }
    ReportTable::Filter filter;
    filter.supplier = fields->getInt(u"splid");
    filter.client = fields->getInt(u"cltid");
    filter.prdnm = TableClass::textOf(fields, u"prdnm");
    if (!filter.prdnm.empty())
        filter.specs = TableClass::textOf(fields, u"specs");
    return filter;
}

void ReportAction::_show()
{
    Date today = Date::getSystemDate();
    Value* data = getValue();
    data->insert(u"today", today.format(u"%Y-%m"));
    Date begins, ends, month;
    bool forecastFirst = false;
    _readDates(today, begins, ends, month, forecastFirst);
    ReportTable::Filter filter = _filter();
    ReportTable table(*this);
    Value* total = data->insert(u"total");
    total->insert(u"name", begins.toString() + u" ~ " + ends.toString());
    table.fillColumn(total, begins.toString(), ends.toString(), false, filter);

    int year = 0, mon = 0, day = 0, weekday = 0;
    today.getDate(year, mon, day, weekday);
    int current = monthNumber(year, mon);
    month.getDate(year, mon, day, weekday);
    int chosen = monthNumber(year, mon);
    Slot anchor = slotAt(chosen, chosen > current || (chosen == current && forecastFirst));
    for (int i = 0; i < 7; i++) {
        Slot slot = step(anchor, i - MONTH_INDEX, current);
        Value* column = data->insert(MONTH_COLUMNS[i]);
        column->insert(u"name", monthName(slot));
        column->insert(u"forecast", slot.forecast ? u"1" : u"0");
        String first, last;
        first.format(u"%04d-%02d-01", slot.year, slot.month);
        last.format(u"%04d-%02d-%02d", slot.year, slot.month, daysIn(slot.year, slot.month));
        table.fillColumn(column, first, last, slot.forecast, filter);
    }
    _scaleChart(data);
}

// Bars of goods shipped and received per month, as shares of the largest.
void ReportAction::_scaleChart(Value* data)
{
    double largest = 0;
    for (const char16_t* name : MONTH_COLUMNS)
        for (const char16_t* row : {u"zwexpr", u"zwimpr"})
            largest = std::max(largest, std::abs(data->find(name)->getDouble(row)));
    Value* months = data->insert(u"months");
    for (int i = 0; i < 7; i++) {
        Value* column = data->find(MONTH_COLUMNS[i]);
        for (auto [bar, row] : {std::pair{u"sales", u"zwexpr"}, std::pair{u"purchase", u"zwimpr"}}) {
            double share = largest > 0 ? std::abs(column->getDouble(row)) * 100 / largest : 0;
            column->insert(bar, Rounding::text(share, 1));
        }
        // The same columns as a list, for the table and the chart.
        Value* month = months->insert(TableClass::rowKey(i + 1, 7));
        month->mergeWith(column);
        month->insert(u"col", MONTH_COLUMNS[i]);
        month->insert(u"x", i * CHART_STEP);
    }
}
