#pragma once

#include "quillot/frame/PageAction.h"
#include "quillot/frame/Side.h"

// Base of the page families that exist on both sides: one class serves the
// purchase page and its sales twin, constructed with the side it serves.
//
// Templates of such a family are written once too: describeSide() puts the
// node "side" into the data tree with the side's field names ("key" splid,
// "pname" splnm, "ptype" splty), its page prefixes ("page" purchaseSupply,
// "contactPage", "orderPage", ...) and the words of its section in
// message.ini ("[PurchaseSide]": "partner" 供应商, ...).
class SideAction : public PageAction {
public:
    explicit SideAction(const Side& side) : side_(side) {}
    const Side& side() const { return side_; }

protected:
    void describeSide();

private:
    const Side& side_;
};
