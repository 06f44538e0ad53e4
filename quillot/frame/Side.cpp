#include "quillot/frame/Side.h"

#include <string_view>

using tessel::String;

namespace {

const Side PURCHASE = {
    u"purchase",
    u"Purchase",
    u"Supply",
    u"supply",
    u"zpsplyt",
    u"splid",
    u"splnm",
    u"splty",
    u"zpsplyt_splid_seq",
    u"zpcntct",
    u"zpcntct_cntid_seq",
    u"zpordrt",
    u"zpordrd",
    u"zpextrd",
    u"zwimprt",
    u"zwimprd",
    u"impid",
    u"impty",
    u"zpinvct",
    u"zpinvcd",
    u"zppymnt",
    u"zppymnd",
    KIND_PURCHASE_ORDER,
    KIND_PURCHASE_INVOICE,
    KIND_PURCHASE_PAYMENT,
    KIND_STOCK_RECEIPT,
    7,
    PartnerNameCache::SUPPLIERS,
};

const Side SALES = {
    u"sales",
    u"Sales",
    u"Client",
    u"client",
    u"zsclntt",
    u"cltid",
    u"cltnm",
    u"cltty",
    u"zsclntt_cltid_seq",
    u"zscntct",
    u"zscntct_cntid_seq",
    u"zsordrt",
    u"zsordrd",
    u"zsextrd",
    u"zwexprt",
    u"zwexprd",
    u"expid",
    u"expty",
    u"zsinvct",
    u"zsinvcd",
    u"zspymnt",
    u"zspymnd",
    KIND_SALES_ORDER,
    KIND_SALES_INVOICE,
    KIND_SALES_PAYMENT,
    KIND_STOCK_ISSUE,
    6,
    PartnerNameCache::CLIENTS,
};

// The placeholder words of sql(), each with the field it stands for.
struct Placeholder {
    const char16_t* word;
    const char16_t* Side::*field;
};

const Placeholder PLACEHOLDERS[] = {
    {u"cache", &Side::cacheWord},       {u"partners", &Side::partnerTable},     {u"pkey", &Side::partnerKey},
    {u"pname", &Side::partnerName},     {u"ptype", &Side::partnerType},         {u"contacts", &Side::contactTable},
    {u"orders", &Side::orderTable},     {u"orderLines", &Side::orderLines},     {u"clauses", &Side::clauseTable},
    {u"moves", &Side::movementTable},   {u"moveLines", &Side::movementLines},   {u"mkey", &Side::movementKey},
    {u"mtype", &Side::movementType},    {u"invoices", &Side::invoiceTable},     {u"invoiceLines", &Side::invoiceLines},
    {u"payments", &Side::paymentTable}, {u"paymentLines", &Side::paymentLines},
};

const char16_t* lookup(const Side& side, const char16_t* word, int length)
{
    for (const Placeholder& placeholder : PLACEHOLDERS) {
        std::u16string_view name(placeholder.word);
        if (name.size() == static_cast<size_t>(length) && name == std::u16string_view(word, length))
            return side.*placeholder.field;
    }
    return nullptr;
}

} // namespace

const Side& Side::purchase()
{
    return PURCHASE;
}

const Side& Side::sales()
{
    return SALES;
}

const Side* Side::byWord(const String& word)
{
    for (const Side* side : {&PURCHASE, &SALES})
        if (word == side->cacheWord || word == side->name)
            return side;
    return nullptr;
}

String Side::sql(const char16_t* text) const
{
    String out;
    if (!text)
        return out;
    const char16_t* p = text;
    while (*p) {
        const char16_t* open = p;
        while (*open && *open != u'{')
            open++;
        // append() reads a length below 1 as "to the end": skip empty runs.
        if (open > p)
            out.append(p, static_cast<int>(open - p));
        if (!*open)
            break;
        const char16_t* close = open + 1;
        while (*close && *close != u'}')
            close++;
        const char16_t* name = *close ? lookup(*this, open + 1, static_cast<int>(close - open - 1)) : nullptr;
        if (name) {
            out += name;
            p = close + 1;
        } else {
            out += u'{';
            p = open + 1;
        }
    }
    return out;
}

String Side::keyOf(const char16_t* table)
{
    String key(table);
    return key.empty() ? key : key.substr(0, key.size() - 1);
}

String Side::partnerPage(const char16_t* suffix) const
{
    return String(pagePrefix) + partnerWord + suffix;
}
