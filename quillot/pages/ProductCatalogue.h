#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"
#include "tessel/core/Value.h"

// The product catalogue kept by hand: new products with their opening
// stock, a product's unit and unit price, and products removed once they
// hold no stock. A product is its name and specification.
class ProductCatalogue : public TableClass {
public:
    // A product may be removed while its stock is within this of 0.
    static constexpr double EMPTY_STOCK = 0.00005;

    explicit ProductCatalogue(const PageAction& page);

    // Saves the edited rows of `list` in one transaction, each by its
    // "_type":
    // - new (empty or "create"): "prdnm", "specs", "unitg", "itmpr",
    //   "qunty" and "clsid"; a product that exists is refused ("exist"),
    //   the opening stock may not be negative ("qunty") and needs a price
    //   above 0 ("itmpr"); it is received into stock with its journal row.
    // - "update": the unit and the unit price ("itmpr", not negative) of
    //   the product "prdnm"/"specs" ("update" when there is none).
    // - "delete": the product "prdnm"/"specs" while its stock is 0 within
    //   EMPTY_STOCK ("delete" otherwise).
    // Every row names its product ("prdnm", "specs"); a row of a product
    // that exists may name it by "product" instead, the key the page gives
    // it (productKey). No rows is "empty".
    bool save(tessel::Value* list, const tessel::String& user);

    // The key of a product as the catalogue page writes it: name and
    // specification, each percent-encoded as UTF-8 ("+" for a space),
    // joined by "/". False when `key` is not one.
    static bool readProductKey(const tessel::String& key, tessel::String& prdnm, tessel::String& specs);

private:
    struct Row {
        RowKind kind = ROW_CREATE;
        tessel::String prdnm, specs, unitg;
        double qunty = 0;
        double itmpr = 0;
        int clsid = 0;
    };

    bool _read(tessel::Value* fields, Row& out);
    bool _create(const Row& row, const tessel::String& user);
    bool _update(const Row& row);
    bool _delete(const Row& row);
};
