#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class Side;

// The figures of the monthly report: for a span of dates, the amounts of
// every document kind of both sides in documents of states 1 to 3 ("zsordr"
// sales orders, "zwexpr" goods shipped, "zsinvc" invoices issued, "zspymn"
// money received, and "zpordr", "zwimpr", "zpinvc", "zppymn" the purchase
// twins), or their forecasts: goods still to come and to ship by the
// order lines' ship dates, goods still to invoice by the expected invoice
// dates, money expected by the expected payment dates.
// A partner filter of one side shows "--" for the other side's rows; a
// product filter takes the amounts from the lines, and shows "--" for the
// payments, which have no products.
class ReportTable : public TableClass {
public:
    struct Filter {
        int supplier = 0; // 0: any; -1 matches none
        int client = 0;
        tessel::String prdnm, specs;
    };

    explicit ReportTable(const PageAction& page);

    // The eight rows into `column` ("%0.2f" or "--") for the dates `first`
    // to `last` ("2026-12-01"), actual or forecast.
    void fillColumn(tessel::Value* column, const tessel::String& first, const tessel::String& last, bool forecast,
                    const Filter& filter);

private:
    void _fillSide(tessel::Value* column, const Side& side, const tessel::String& first, const tessel::String& last,
                   bool forecast, const Filter& filter);
    tessel::String _amount(const Side& side, const tessel::String& sql, const tessel::String& dateColumn,
                           const tessel::String& first, const tessel::String& last, const Filter& filter);
};
