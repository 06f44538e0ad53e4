#include "quillot/pages/DemoTrade.h"

#include <cmath>

#include "quillot/frame/PageAction.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/SettingsTable.h"
#include "quillot/frame/Side.h"
#include "quillot/pages/InvoiceTable.h"
#include "quillot/pages/MovementTable.h"
#include "quillot/pages/OrderTable.h"
#include "quillot/pages/PaymentTable.h"
#include "quillot/pages/UserCheck.h"

using tessel::Date;
using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {

// The demonstration partners (as the demonstration data names them).
const char16_t* const ELECTRONICS = u"上海华联电子有限公司";
const char16_t* const HARDWARE = u"深圳市鹏达五金制品厂";
const char16_t* const PACKAGING = u"杭州绿源包装材料有限公司";
const char16_t* const ELECTRICAL = u"苏州金桥机电设备有限公司";
const char16_t* const TRADER = u"北京恒信商贸有限公司";
const char16_t* const MACHINERY = u"天津海河机械制造有限公司";
const char16_t* const BUILDING = u"南京东方建材有限公司";
const char16_t* const OFFICE = u"成都天府办公用品有限公司";
const char16_t* const APPLIANCES = u"武汉长江电器有限公司";

// The fields `names` of a row the page pre-filled, into the row the form
// posts back.
void copyFields(Value* from, Value* to, std::initializer_list<const char16_t*> names)
{
    for (const char16_t* name : names)
        to->insert(name, from->getAt(name));
}

String money(double amount)
{
    return Rounding::text(amount, Rounding::MONEY);
}

} // namespace

DemoTrade::DemoTrade(const PageAction& page, const Date& today)
    : page_(page), today_(today), taxFactor_(SettingsTable(page).taxFactor())
{
}

bool DemoTrade::run()
{
    _purchases();
    _sales();
    return error_.empty();
}

// Received, invoiced and paid in full; received, invoiced and paid in
// part (its first invoice entered wrong, reversed and entered anew);
// received, reversed for a wrong count and received again; one order
// still open and due in three days.
void DemoTrade::_purchases()
{
    const Side& side = Side::purchase();
    String adapters = _order(side, ELECTRONICS, 80, -70, true,
                             {{u"电源适配器", u"12V/2A", u"个", 200, 17.8},
                              {u"LED灯管", u"T8 1.2米 18W", u"支", 300, 12.2}});
    String receipt = _move(side, ELECTRONICS, adapters, 70);
    _invoice(side, ELECTRONICS, receipt, 66);
    _pay(side, ELECTRONICS, adapters, 60);

    String screws = _order(side, HARDWARE, 52, -40, true,
                           {{u"不锈钢螺丝", u"M6×20", u"盒", 100, 15.2}, {u"不锈钢螺丝", u"M8×30", u"盒", 60, 21.5}});
    receipt = _move(side, HARDWARE, screws, 41, 0.5);
    String wrong = _invoice(side, HARDWARE, receipt, 38);
    if (!wrong.empty()) {
        InvoiceTable invoices(page_, side);
        _reverse(invoices, wrong);
    }
    _invoice(side, HARDWARE, receipt, 37);
    _pay(side, HARDWARE, screws, 30, 1000);

    String cartons = _order(side, PACKAGING, 45, -31, false, {{u"瓦楞纸箱", u"60×40×40 五层", u"个", 1000, 3.05}});
    String miscounted = _move(side, PACKAGING, cartons, 31);
    if (!miscounted.empty()) {
        MovementTable receipts(page_, side);
        _reverse(receipts, miscounted);
    }
    _move(side, PACKAGING, cartons, 29);

    _order(side, ELECTRICAL, 12, 3, true, {{u"交流接触器", u"CJX2-1810", u"台", 30, 54.5}});
}

// Shipped, invoiced and paid in full; shipped, invoiced and paid in part
// (one payment entered twice and its copy reversed); an order entered in
// error and reversed; orders still open, one shipped in part this week.
void DemoTrade::_sales()
{
    const Side& side = Side::sales();
    String lights = _order(side, TRADER, 75, -64, true,
                           {{u"电源适配器", u"12V/2A", u"个", 150, 28},
                            {u"LED灯管", u"T8 1.2米 18W", u"支", 100, 19.5}});
    String issue = _move(side, TRADER, lights, 64);
    _invoice(side, TRADER, issue, 62);
    _pay(side, TRADER, lights, 50);

    String machines = _order(side, MACHINERY, 44, -33, true,
                             {{u"交流接触器", u"CJX2-1810", u"台", 25, 78}, {u"不锈钢螺丝", u"M6×20", u"盒", 80, 24}});
    issue = _move(side, MACHINERY, machines, 34, 0.625);
    _invoice(side, MACHINERY, issue, 32);
    _pay(side, MACHINERY, machines, 25, 2000);
    String twice = _pay(side, MACHINERY, machines, 24, 2000);
    if (!twice.empty()) {
        PaymentTable payments(page_, side);
        _reverse(payments, twice);
    }

    String mistaken = _order(side, APPLIANCES, 40, -20, false, {{u"工业酒精", u"95% 200升", u"桶", 5, 300}});
    _reverseOrder(side, mistaken);

    _order(side, BUILDING, 20, 5, true, {{u"瓦楞纸箱", u"60×40×40 五层", u"个", 300, 5.5}});
    String office = _order(side, OFFICE, 9, 2, false, {{u"LED灯管", u"T8 1.2米 18W", u"支", 50, 21}});
    _move(side, OFFICE, office, 4, 0.6);
}

// ------------------------------------------------------------- documents

String DemoTrade::_order(const Side& side, const char16_t* partner, int daysAgo, int dueIn, bool taxed,
                         std::initializer_list<Item> items)
{
    if (!error_.empty())
        return String();
    String ordid = String(side.isPurchase() ? u"CG" : u"XS") + String(_day(daysAgo)).replace(u"-", u"") +
                   String().format(u"%02d", ++orders_);
    Ref<Value> form = _form(side, partner, daysAgo, nullptr);
    form->insert(u"ordid", ordid);
    form->insert(u"taxrt", _taxText(taxed ? u"1" : u"0"));
    int line = 0;
    for (const Item& item : items) {
        String row = TableClass::rowKey(++line, static_cast<int>(items.size()));
        Value* fields = form->insert(String(u"list.") + row);
        fields->insert(u"prdnm", item.prdnm);
        fields->insert(u"specs", item.specs);
        fields->insert(u"unitg", item.unitg);
        fields->insert(u"qunty", item.qunty, u"%0.4f", true);
        fields->insert(u"itmpr", item.itmpr, u"%0.4f", true);
        fields->insert(u"taxrt", _taxText(u"0"));
        fields->insert(u"plndt", _day(-dueIn));
    }
    OrderTable orders(page_, side);
    return _check(orders.save(form, UserCheck::ADMINISTRATOR, taxFactor_), orders.getError()) ? ordid : String();
}

String DemoTrade::_move(const Side& side, const char16_t* partner, const String& ordid, int daysAgo, double share)
{
    if (!error_.empty() || ordid.empty())
        return String();
    MovementTable moves(page_, side);
    Ref<Value> open = new Value();
    int partnerId = 0;
    if (!_check(moves.listOrderLines(ordid, open, partnerId), moves.getError()))
        return String();
    Ref<Value> rows = new Value();
    String key;
    for (int i = 0; Value* line = open->getIndex(i, key); i++) {
        Value* row = rows->insert(key);
        copyFields(line, row, {u"orgid", u"orgln", u"prdnm", u"specs", u"other", u"unitg", u"itmpr"});
        row->insert(u"taxrt", _taxText(line->getAt(u"taxrt")));
        // The demo's goods come in whole units.
        row->insert(u"qunty", std::round(line->getDouble(u"qunty") * share), u"%0.4f", true);
    }
    Ref<Value> form = _form(side, partner, daysAgo, rows);
    return _check(moves.save(form, UserCheck::ADMINISTRATOR, taxFactor_), moves.getError()) ? moves.number() : String();
}

String DemoTrade::_invoice(const Side& side, const char16_t* partner, const String& number, int daysAgo)
{
    if (!error_.empty() || number.empty())
        return String();
    InvoiceTable invoices(page_, side);
    Ref<Value> open = new Value();
    int partnerId = 0;
    if (!_check(invoices.listStockLines(number, taxFactor_, open, partnerId), invoices.getError()))
        return String();
    Ref<Value> rows = new Value();
    String key;
    for (int i = 0; Value* line = open->getIndex(i, key); i++)
        copyFields(line, rows->insert(key),
                   {u"orgid", u"orgln", u"prdnm", u"specs", u"other", u"unitg", u"qunty", u"itmpr"});
    Ref<Value> form = _form(side, partner, daysAgo, rows);
    form->insert(u"bilid", String().format(u"%08d", 20260000 + daysAgo * 37 + orders_));
    return _check(invoices.save(form, UserCheck::ADMINISTRATOR, taxFactor_), invoices.getError()) ? invoices.number()
                                                                                                  : String();
}

String DemoTrade::_pay(const Side& side, const char16_t* partner, const String& ordid, int daysAgo, double amount)
{
    if (!error_.empty() || ordid.empty())
        return String();
    PaymentTable payments(page_, side);
    Ref<Value> open = new Value();
    int partnerId = 0;
    if (!_check(payments.listOrders(ordid, open, partnerId), payments.getError()))
        return String();
    Ref<Value> rows = new Value();
    String key;
    for (int i = 0; Value* line = open->getIndex(i, key); i++) {
        Value* row = rows->insert(key);
        copyFields(line, row, {u"ordid", u"amont", u"lefts"});
        double lefts = line->getDouble(u"lefts");
        double paid = amount > 0 && amount < lefts ? amount : lefts;
        row->insert(u"paids", money(paid));
        row->insert(u"reman", money(lefts - paid));
    }
    Ref<Value> form = _form(side, partner, daysAgo, rows);
    form->insert(u"payty", u"银行转账");
    return _check(payments.save(form, UserCheck::ADMINISTRATOR), payments.getError()) ? payments.number() : String();
}

void DemoTrade::_reverse(DocumentTable& table, const String& number)
{
    if (error_.empty())
        _check(table.reverse(number, UserCheck::ADMINISTRATOR), table.getError());
}

void DemoTrade::_reverseOrder(const Side& side, const String& ordid)
{
    if (!error_.empty() || ordid.empty())
        return;
    OrderTable orders(page_, side);
    _check(orders.reverse(ordid, UserCheck::ADMINISTRATOR), orders.getError());
}

// ----------------------------------------------------------------- helpers

Ref<Value> DemoTrade::_form(const Side& side, const char16_t* partner, int daysAgo, Value* rows)
{
    Ref<Value> form = new Value();
    form->insert(side.partnerName, partner);
    form->insert(u"excdt", _day(daysAgo));
    form->insert(u"crncy", u"人民币");
    if (rows)
        form->insert(u"list")->mergeWith(rows);
    return form;
}

String DemoTrade::_taxText(const String& code) const
{
    // A form gives the drop-down's text, which the saves turn into the code
    // by the visitor's lists; without lists the code stands as it is.
    TableClass reader(page_);
    Value* list = reader.company() ? reader.company()->find(u"taxtype") : nullptr;
    String text = list && list->isMap() ? list->getAt(code) : String();
    return text.empty() ? code : text;
}

String DemoTrade::_day(int daysAgo) const
{
    return Date(today_.getJdn() - daysAgo).format(u"%Y-%m-%d");
}

bool DemoTrade::_check(bool ok, const String& key)
{
    if (!ok && error_.empty())
        error_ = key.empty() ? String(u"failed") : key;
    return ok;
}
