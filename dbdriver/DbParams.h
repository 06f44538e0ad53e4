#pragma once

#include <initializer_list>
#include <vector>

#include "dbdriver/DbParam.h"

// The values of an SQL statement's "?" placeholders, in their order. A
// value bound this way is never read as SQL, whatever it holds.
class DbParams {
public:
    DbParams() = default;
    DbParams(std::initializer_list<DbParam> values) : values_(values) {}

    DbParams& add(const DbParam& value)
    {
        values_.push_back(value);
        return *this;
    }
    int size() const { return static_cast<int>(values_.size()); }
    bool empty() const { return values_.empty(); }
    const DbParam& at(int index) const { return values_[static_cast<size_t>(index)]; }

private:
    std::vector<DbParam> values_;
};
