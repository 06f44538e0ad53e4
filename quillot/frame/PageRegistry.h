#pragma once

#include "tessel/core/String.h"

class PageAction;
class Side;

// The pages that have an action of their own. Each action registers itself
// in its source file with a PageRegistration, naming its page; the class
// name that names the page's section of message keys is the page name
// followed by "Action". A page of the configuration that registers nothing
// is served by EmptyAction: its template alone.
class PageRegistry {
public:
    using Factory = PageAction* (*)(const Side* side);

    struct Entry {
        tessel::String page;      // "PurchaseSupplyEdit"
        tessel::String className; // "PurchaseSupplyEditAction"
        Factory create;
        const Side* side; // the side a two-sided page family serves, or null
    };

    static void add(const char16_t* page, Factory create, const Side* side);
    // The entry of a page name as written at registration (first letter
    // upper case), or null.
    static const Entry* find(const tessel::String& page);
    // A new action for the page, or an EmptyAction; the caller owns it.
    static PageAction* create(const tessel::String& page);
    static int size();
    static const Entry& at(int index);
};

// Registers an action class for a page when the plug-in is loaded:
//   const PageRegistration<NoticeAction> notice(u"Notice");
//   const PageRegistration<PartnerEditAction> supply(u"PurchaseSupplyEdit", Side::purchase());
// A two-sided action is constructed with its side.
template <class Action>
class PageRegistration {
public:
    explicit PageRegistration(const char16_t* page) { PageRegistry::add(page, &make, nullptr); }
    PageRegistration(const char16_t* page, const Side& side) { PageRegistry::add(page, &makeFor, &side); }

private:
    static PageAction* make(const Side*) { return new Action(); }
    static PageAction* makeFor(const Side* side) { return new Action(*side); }
};
