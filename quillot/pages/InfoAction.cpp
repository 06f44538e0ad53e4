#include "quillot/pages/InfoAction.h"

#include "dbdriver/IDbSession.h"
#include "quillot/frame/Rounding.h"
#include "quillot/frame/ScriptLiteral.h"
#include "quillot/frame/Side.h"
#include "quillot/frame/UserState.h"
#include "quillot/pages/InvoiceTable.h"
#include "quillot/pages/MovementTable.h"
#include "quillot/pages/PartnerTable.h"
#include "quillot/pages/PaymentTable.h"
#include "tessel/core/Character.h"
#include "tessel/web/HttpContext.h"

using tessel::Ref;
using tessel::String;
using tessel::Value;

namespace {
const PageRegistration<InfoAction> registration(u"Info");

constexpr int TEXT = -1;

// The partner details a form fills in when a name is chosen.
const char16_t* const DETAILS[] = {u"tlphn", u"faxcd", u"adres", u"bnknm", u"accnt", u"rmrks"};

String valueOf(Value* row, const InfoAction::Field& field)
{
    String text = row->getAt(field.column);
    if (field.places == TEXT)
        return ScriptLiteral::quote(text);
    if (field.places == 0) {
        String number;
        return number.format(u"%d", row->getInt(field.column));
    }
    return Rounding::text(row->getDouble(field.column), field.places);
}

// A data id of a list page: letters and digits only.
bool isDataId(const String& id)
{
    if (id.empty() || id.size() > 64)
        return false;
    for (int i = 0; i < id.size(); i++) {
        char16_t c = id[i];
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    return true;
}
} // namespace

void InfoAction::execute()
{
    const Side& purchase = Side::purchase();
    const Side& sales = Side::sales();
    String cmd = form()->getAt(u"cmd");
    if (cmd == u"client" || cmd == u"supply")
        _partner(cmd == u"client" ? sales : purchase);
    else if (cmd == u"product")
        _products();
    else if (cmd == u"specs")
        _specs();
    else if (cmd == u"zwimpr" || cmd == u"zwexpr")
        _openLines(cmd == u"zwimpr" ? purchase : sales);
    else if (cmd == u"zppymn" || cmd == u"zspymn")
        _openOrders(cmd == u"zppymn" ? purchase : sales);
    else if (cmd == u"zpinvc" || cmd == u"zsinvc")
        _toInvoice(cmd == u"zpinvc" ? purchase : sales);
    else if (cmd == u"purchaseTotal" || cmd == u"salesTotal")
        _totals(cmd == u"purchaseTotal" ? purchase : sales);
    else if (cmd == u"filter" || cmd == u"sort")
        _remember(cmd == u"filter" ? u"filter" : u"sort");
    else
        setError(u"badcmd");
}

String InfoAction::items(Value* list, std::initializer_list<Field> fields)
{
    String out(u"[");
    String key;
    for (int i = 0; list && list->isMap(); i++) {
        Value* row = list->getIndex(i, key);
        if (!row)
            break;
        out += i == 0 ? u"{" : u",{";
        bool first = true;
        for (const Field& field : fields) {
            out += first ? u"" : u",";
            out += field.name;
            out += u':';
            out += valueOf(row, field);
            first = false;
        }
        out += u'}';
    }
    out += u']';
    return out;
}

void InfoAction::_answer(const String& text)
{
    setError(String(u"ok:(") + text + u")");
}

int InfoAction::_partnerOf(const Side& side)
{
    String name = TableClass::textOf(form(), side.partnerName);
    return name.empty() ? -1 : TableClass(*this).partnerIdByName(side, name);
}

void InfoAction::_partner(const Side& side)
{
    TableClass table(*this);
    String name = TableClass::textOf(form(), side.partnerName);
    if (name.empty()) {
        String names(u"[");
        bool first = true;
        for (const auto& [id, partner] : table.partnerNames(side)) {
            names += first ? u"" : u",";
            ScriptLiteral::append(names, partner);
            first = false;
        }
        _answer(names + u"]");
        return;
    }
    Ref<Value> partner = new Value();
    int id = table.partnerIdByName(side, name);
    if (id < 1 || !PartnerTable(*this, side).load(id, partner.get())) {
        _answer(u"({})");
        return;
    }
    String record(u"{");
    record += ScriptLiteral::quote(side.partnerName) + u":" + ScriptLiteral::quote(partner->getAt(side.partnerName));
    for (const char16_t* column : DETAILS)
        record += String(u",") + ScriptLiteral::quote(column) + u":" + ScriptLiteral::quote(partner->getAt(column));
    _answer(String(u"(") + record + u"})");
}

void InfoAction::_products()
{
    Ref<Value> rows = new Value();
    TableClass table(*this);
    if (!table.listRows(rows.get(), u"SELECT DISTINCT prdnm FROM zcprdct ORDER BY 1", 0, 0)) {
        setError(table.getError());
        return;
    }
    String names(u"[");
    String key;
    for (int i = 0; Value* row = rows->getIndex(i, key); i++) {
        names += i == 0 ? u"" : u",";
        ScriptLiteral::append(names, row->getAt(u"prdnm"));
    }
    _answer(names + u"]");
}

void InfoAction::_specs()
{
    String product = TableClass::textOf(form(), u"prdnm");
    Ref<Value> rows = new Value();
    TableClass table(*this);
    if (!product.empty() &&
        !table.listRows(rows.get(), u"SELECT specs, unitg FROM zcprdct WHERE prdnm = ? ORDER BY 1", 0, 0, {product})) {
        setError(table.getError());
        return;
    }
    _answer(items(rows.get(), {{u"specs", u"specs", TEXT}, {u"unitg", u"unitg", TEXT}}));
}

void InfoAction::_openLines(const Side& side)
{
    Ref<Value> rows = new Value();
    int partner = _partnerOf(side);
    MovementTable movements(*this, side);
    if (partner >= 0 && !movements.listOpenLines(partner, rows.get())) {
        setError(movements.getError());
        return;
    }
    _answer(items(rows.get(), {{u"prdnm", u"prdnm", TEXT},
                               {u"specs", u"specs", TEXT},
                               {u"other", u"other", TEXT},
                               {u"unitg", u"unitg", TEXT},
                               {u"qunty", u"qunty", Rounding::QUANTITY},
                               {u"itmpr", u"itmpr", Rounding::PRICE},
                               {u"taxrt", u"taxrt", 0},
                               {u"ordid", u"orgid", TEXT},
                               {u"linnm", u"orgln", 0},
                               {u"stock", u"stock", Rounding::QUANTITY}}));
}

void InfoAction::_openOrders(const Side& side)
{
    Ref<Value> rows = new Value();
    int partner = _partnerOf(side);
    PaymentTable payments(*this, side);
    if (partner >= 0 && !payments.listOpenOrders(partner, rows.get())) {
        setError(payments.getError());
        return;
    }
    _answer(items(rows.get(), {{u"ordid", u"ordid", TEXT},
                               {u"cntrc", u"cntrc", TEXT},
                               {u"amont", u"amont", Rounding::MONEY},
                               {u"total", u"total", Rounding::MONEY},
                               {u"lefts", u"lefts", Rounding::MONEY}}));
}

void InfoAction::_toInvoice(const Side& side)
{
    Ref<Value> rows = new Value();
    int partner = _partnerOf(side);
    InvoiceTable invoices(*this, side);
    if (partner >= 0 && !invoices.listOpenLines(partner, userState().taxFactor(), rows.get())) {
        setError(invoices.getError());
        return;
    }
    _answer(items(rows.get(), {{u"prdnm", u"prdnm", TEXT},
                               {u"specs", u"specs", TEXT},
                               {u"other", u"other", TEXT},
                               {u"unitg", u"unitg", TEXT},
                               {u"qunty", u"qunty", Rounding::QUANTITY},
                               {u"itmpr", u"itmpr", Rounding::PRICE},
                               {side.movementKey, u"orgid", TEXT},
                               {u"linnm", u"orgln", 0},
                               {u"taxadd", u"taxadd", 0},
                               {u"pramt", u"pramt", Rounding::MONEY},
                               {u"ordid", u"ordid", TEXT}}));
}

void InfoAction::_totals(const Side& side)
{
    TableClass table(*this);
    String orders = table.numberList(form()->getAt(u"items"));
    double moved = 0, paid = 0;
    if (db()) {
        moved = db()->queryDouble(side.sql(u"SELECT sum(d.pramt) FROM {orders} o, {moveLines} d, {moves} t WHERE "
                                           u"o.ordid IN (") +
                                      orders +
                                      side.sql(u") AND d.orgid = o.ordid AND t.{mkey} = d.{mkey} AND "
                                               u"t.stats IN (1, 2, 3)"),
                                  0);
        paid = db()->queryDouble(side.sql(u"SELECT sum(paids) FROM {orders} WHERE ordid IN (") + orders + u")", 0);
    }
    _answer(String(u"{'amont':") + Rounding::text(moved, Rounding::MONEY) + u",'paids':" +
            Rounding::text(paid, Rounding::MONEY) + u"}");
}

// Only the list pages' own children of the company tree take a filter or
// sort: never "taxrate", "userid" or anything else kept there.
void InfoAction::_remember(const char16_t* what)
{
    String id = form()->getAt(u"dataid");
    tessel::HttpContext* context = getContext();
    if (!company() || !isDataId(id) || !context || !context->getPageInfo(id, true)) {
        setError(u"dataid");
        return;
    }
    company()->insert(id + u"." + what, form()->getAt(what));
    _answer(String());
}
