#pragma once

#include <initializer_list>
#include <vector>

#include "tessel/core/String.h"

// What one list page shows: the select list, the FROM part with its joins,
// the fixed condition, the order, the columns a filter may name and the
// rows on a page. The count and the rows are built from the same FROM and
// WHERE, so a filter on a joined column counts the rows it lists.
class ListQuery {
public:
    static constexpr int PAGE_SIZE = 100;
    // The product stock list shows more rows on a page.
    static constexpr int STOCK_PAGE_SIZE = 1000;

    // `columns` is the select list without "SELECT", `from` starts with
    // "FROM", `order` with " ORDER BY" (or is empty). `filterable` are the
    // column names as the filter writes them ("c.cntct", "splnm").
    ListQuery(const tessel::String& columns, const tessel::String& from, const tessel::String& order,
              std::initializer_list<const char16_t*> filterable);

    // Replaces the fixed condition (by default "1=1"); it is written after
    // " WHERE " and before the filter clause.
    ListQuery& where(const tessel::String& condition);
    ListQuery& pageSize(int rows);

    int getPageSize() const { return pageSize_; }
    bool isFilterable(const tessel::String& column) const;

    // "SELECT count(*) FROM ... WHERE ..." with the filter clause.
    tessel::String countSql(const tessel::String& clause) const;
    // "SELECT columns FROM ... WHERE ..." with the filter clause and order.
    tessel::String rowsSql(const tessel::String& clause) const;

private:
    tessel::String columns_;
    tessel::String from_;
    tessel::String where_{u"1=1"};
    tessel::String order_;
    std::vector<tessel::String> filterable_;
    int pageSize_ = PAGE_SIZE;
};
