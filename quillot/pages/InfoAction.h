#pragma once

#include <initializer_list>

#include "quillot/frame/PageAction.h"

class Side;

// The small lookups of the page scripts, answered "ok:(" + a script value
// + ")" instead of a page. FORM.cmd names the lookup:
// - "client", "supply": without a name every partner name of the side,
//   with FORM.cltnm (splnm) that partner's details ("({})" when unknown);
// - "product": every product name; "specs": the specifications and units
//   of FORM.prdnm;
// - "zwimpr", "zwexpr": the partner's order lines still to receive (ship);
//   "zppymn", "zspymn": its orders still to pay; "zpinvc", "zsinvc": its
//   stock lines still to invoice (FORM.splnm or FORM.cltnm names it);
// - "purchaseTotal", "salesTotal": the value received (shipped) and the
//   amount paid of the orders FORM.items;
// - "filter", "sort": keeps FORM.filter (FORM.sort) for the list page
//   FORM.dataid in the visitor's company tree.
// Every text is written by one escaper (ScriptLiteral); quantities have
// four decimals, prices eight, money two. Any other command: "badcmd".
class InfoAction : public PageAction {
public:
    void execute() override;

    // How one column of a row is written into a script item.
    struct Field {
        const char16_t* name;   // the item's key
        const char16_t* column; // the row's column
        int places;             // -1 text, 0 whole number, else decimals
    };
    // "[{key:value,...},...]" of the rows of `list`.
    static tessel::String items(tessel::Value* list, std::initializer_list<Field> fields);

private:
    void _answer(const tessel::String& text);
    void _partner(const Side& side);
    void _products();
    void _specs();
    void _openLines(const Side& side);
    void _openOrders(const Side& side);
    void _toInvoice(const Side& side);
    void _totals(const Side& side);
    void _remember(const char16_t* what);
    int _partnerOf(const Side& side);
};
