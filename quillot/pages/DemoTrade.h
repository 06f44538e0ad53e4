#pragma once

#include <initializer_list>

#include "tessel/core/Date.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

class DocumentTable;
class PageAction;
class Side;

// Three months of trade for the demonstration company, entered as a clerk
// would enter it: through the documents' own saves, each form filled the
// way its page pre-fills it (a receipt from its order's open lines, an
// invoice from the goods received, a payment from the order) and then
// corrected where the clerk would. Purchases received, invoiced and paid
// in part; sales shipped, invoiced and paid in part; one order, receipt,
// invoice and payment reversed; a few orders still open and due within
// the next days, so that notices, tracking, the report and the stock list
// all show something on the first sign-in.
//
// Works on the page's database session, which must have the new company
// open; dates count back from `today`.
class DemoTrade {
public:
    DemoTrade(const PageAction& page, const tessel::Date& today);

    // Enters the whole trade; false, with the key of the failure that
    // stopped it as error(), as soon as one save fails.
    bool run();
    const tessel::String& error() const { return error_; }

private:
    struct Item {
        const char16_t* prdnm;
        const char16_t* specs;
        const char16_t* unitg;
        double qunty, itmpr;
    };

    void _purchases();
    void _sales();

    // An order typed in full: number made of `prefix` and its date, `taxed`
    // orders with prices before tax. Empty once anything has failed.
    tessel::String _order(const Side& side, const char16_t* partner, int daysAgo, int dueIn, bool taxed,
                          std::initializer_list<Item> items);
    // Goods received (shipped) against `ordid`: its open lines as the page
    // pre-fills them, each line's quantity taken at `share` of what is
    // open. The number of the stock document.
    tessel::String _move(const Side& side, const char16_t* partner, const tessel::String& ordid, int daysAgo,
                         double share = 1);
    // The partner's invoice for everything of stock document `number`.
    tessel::String _invoice(const Side& side, const char16_t* partner, const tessel::String& number, int daysAgo);
    // A payment of `amount` on `ordid` (everything it owes when 0).
    tessel::String _pay(const Side& side, const char16_t* partner, const tessel::String& ordid, int daysAgo,
                        double amount = 0);
    void _reverse(DocumentTable& table, const tessel::String& number);
    void _reverseOrder(const Side& side, const tessel::String& ordid);

    // The form of a document: partner, date and the pre-filled `rows`
    // under "list".
    tessel::Ref<tessel::Value> _form(const Side& side, const char16_t* partner, int daysAgo, tessel::Value* rows);
    tessel::String _taxText(const tessel::String& code) const;
    tessel::String _day(int daysAgo) const;
    bool _check(bool ok, const tessel::String& key);

    const PageAction& page_;
    tessel::Date today_;
    double taxFactor_;
    tessel::String error_;
    int orders_ = 0;
};
