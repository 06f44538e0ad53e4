#pragma once

#include "quillot/frame/DocumentKind.h"
#include "quillot/frame/PartnerNameCache.h"
#include "tessel/core/String.h"

// What tells the purchase side from the sales side: the tables, columns,
// sequences, words and numbers that differ between buying from suppliers
// and selling to clients. Every page family that exists on both sides is
// written once over a Side.
//
// SQL is written once for both sides with "{word}" placeholders, which
// sql() replaces by the side's names (see the fields for the words).
class Side {
public:
    static const Side& purchase();
    static const Side& sales();
    // The side whose name cache word ("supply", "client") or name
    // ("purchase", "sales") this is; null for any other word.
    static const Side* byWord(const tessel::String& word);

    const char16_t* name;         // "purchase", "sales"
    const char16_t* pagePrefix;   // "Purchase", "Sales": the pages' names start so
    const char16_t* partnerWord;  // "Supply", "Client": PurchaseSupplyEdit, SalesClientEdit
    const char16_t* cacheWord;    // {cache} "supply", "client": name cache and tree node
    const char16_t* partnerTable; // {partners} zpsplyt, zsclntt
    const char16_t* partnerKey;   // {pkey} splid, cltid
    const char16_t* partnerName;  // {pname} splnm, cltnm
    const char16_t* partnerType;  // {ptype} splty, cltty
    const char16_t* partnerSequence;
    const char16_t* contactTable; // {contacts} zpcntct, zscntct
    const char16_t* contactSequence;
    const char16_t* orderTable;    // {orders} zpordrt, zsordrt
    const char16_t* orderLines;    // {orderLines} zpordrd, zsordrd
    const char16_t* clauseTable;   // {clauses} zpextrd, zsextrd
    const char16_t* movementTable; // {moves} zwimprt, zwexprt
    const char16_t* movementLines; // {moveLines} zwimprd, zwexprd
    const char16_t* movementKey;   // {mkey} impid, expid
    const char16_t* movementType;  // {mtype} impty, expty
    const char16_t* invoiceTable;  // {invoices} zpinvct, zsinvct
    const char16_t* invoiceLines;  // {invoiceLines} zpinvcd, zsinvcd
    const char16_t* paymentTable;  // {payments} zppymnt, zspymnt
    const char16_t* paymentLines;  // {paymentLines} zppymnd, zspymnd
    DocumentKind orderKind;
    DocumentKind invoiceKind;
    DocumentKind paymentKind;
    DocumentKind movementKind;
    int clauseClass; // settings class of the order clauses: 7, 6
    PartnerNameCache::Kind cacheKind;

    bool isPurchase() const { return this == &purchase(); }
    // `text` with every "{word}" of the list above replaced by this side's
    // name; an unknown word stays as it is.
    tessel::String sql(const char16_t* text) const;
    // The key of a failure on a table: its name without the last letter
    // ("zpordrt" gives "zpordr").
    static tessel::String keyOf(const char16_t* table);
    // "PurchaseSupplyEdit" for the suffix "Edit" of the partner pages.
    tessel::String partnerPage(const char16_t* suffix) const;
};
