#pragma once

#include "quillot/frame/PageAction.h"
#include "quillot/pages/ReportTable.h"
#include "tessel/core/Date.h"

// The monthly report: what was ordered, moved, invoiced and paid on both
// sides in the span FORM.begins to FORM.ends (column "total") and in seven
// months around FORM.month ("prev3" to "prev1", "month", "next1" to
// "next3"). The current month shows twice, first with its figures, then
// with its forecast; every later month is a forecast, its name followed by
// "(预计)". A month ending in "a" puts the forecast of the current month in
// column "month". Shown without a POST: this year so far, around this
// month. A POST may filter by FORM.splnm or FORM.cltnm and by FORM.prdnm
// and FORM.specs; dates that do not parse fall back to those defaults.
// Each month column also has "forecast" ("1" or "0") and "sales" and
// "purchase": its goods shipped and received (or still to ship and to come)
// as a share of the largest of the seven, 0 to 100, for the chart; "months"
// lists the seven columns in order, each with its "col" name and its "x"
// place in the chart.
// Each month column also has "forecast" ("1" or "0") and "sales" and
// "purchase": its goods shipped and received (or still to ship and to come)
// as a share of the largest of the seven, 0 to 100, for the chart.
class ReportAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    ReportTable::Filter _filter();
    void _readDates(const tessel::Date& today, tessel::Date& begins, tessel::Date& ends, tessel::Date& month,
                    bool& forecastFirst);
    void _scaleChart(tessel::Value* data);
};
