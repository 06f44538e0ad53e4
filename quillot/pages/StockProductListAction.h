#pragma once

#include "quillot/frame/PageAction.h"

// The product stock: 1,000 products a page with what is on hand, still to
// ship and still to receive; FORM.nozero ("1" unless the form says "0")
// leaves out the products with none of them. "export" writes the stock
// sheet into the visitor's download area and answers "ok:" and its
// address, or "failed".
class StockProductListAction : public PageAction {
public:
    void execute() override;

private:
    void _show();
    void _export();
};
