#pragma once

#include "quillot/frame/PageAction.h"

// The product catalogue: the product stock list a page of 100 products at
// a time, and "save" of the rows edited in place (ProductCatalogue).
class SystemProductListAction : public PageAction {
public:
    static constexpr int PAGE_SIZE = 100;

    void execute() override;

private:
    void _show();
    void _save();
};
