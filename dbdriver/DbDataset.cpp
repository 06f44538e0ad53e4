#include "dbdriver/DbDataset.h"

const DbRow* DbDataset::getRow(int index) const
{
    return index >= 0 && index < rows() ? &rows_[index] : nullptr;
}

DbRow* DbDataset::getRow(int index)
{
    return index >= 0 && index < rows() ? &rows_[index] : nullptr;
}

DbRow& DbDataset::addRow()
{
    rows_.emplace_back();
    return rows_.back();
}
