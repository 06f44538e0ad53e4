#pragma once

#include <algorithm>
#include <type_traits>
#include <vector>

#include "tessel/core/IObject.h"

namespace tessel {

// The framework's growable array. Object elements are held through Ref<T>
// (the array owns one reference to each); arithmetic elements (positions,
// counts) are stored by value. The capacity starts at 32 and doubles.
template <class T>
class Array {
    static constexpr bool holdsObjects = !std::is_arithmetic_v<T>;
    using Slot = std::conditional_t<holdsObjects, Ref<T>, T>;
    using Item = std::conditional_t<holdsObjects, T*, T>;

public:
    static constexpr int MIN_CAPACITY = 32;

    Array() = default;
    explicit Array(int capacity) { reserve(capacity); }

    int size() const { return static_cast<int>(items_.size()); }
    int capacity() const { return static_cast<int>(items_.capacity()); }
    bool empty() const { return items_.empty(); }

    // The element at index, or null (0) outside the range.
    Item get(int index) const
    {
        if (index < 0 || index >= size())
            return Item();
        return items_[index];
    }
    Item operator[](int index) const { return get(index); }

    // Appends and returns the new element's index.
    int add(Item item)
    {
        grow(size() + 1);
        items_.push_back(Slot(item));
        return size() - 1;
    }

    // Inserts before index; an index past the end appends.
    void insert(int index, Item item)
    {
        grow(size() + 1);
        if (index < 0)
            index = 0;
        if (index > size())
            index = size();
        items_.insert(items_.begin() + index, Slot(item));
    }

    void set(int index, Item item)
    {
        if (index >= 0 && index < size())
            items_[index] = item;
    }

    void remove(int index)
    {
        if (index >= 0 && index < size())
            items_.erase(items_.begin() + index);
    }

    void clear() { items_.clear(); }

    int indexOf(Item item) const
    {
        for (int i = 0; i < size(); i++)
            if (Item(items_[i]) == item)
                return i;
        return -1;
    }

    // Sorts by the elements' own ordering (operator< of T).
    void sort()
    {
        if constexpr (holdsObjects)
            std::stable_sort(items_.begin(), items_.end(), [](const Slot& a, const Slot& b) { return *a < *b; });
        else
            std::stable_sort(items_.begin(), items_.end());
    }

    void reserve(int capacity)
    {
        if (capacity > this->capacity())
            items_.reserve(static_cast<size_t>(std::max(capacity, MIN_CAPACITY)));
    }

private:
    void grow(int needed)
    {
        if (needed <= capacity())
            return;
        int next = capacity() < MIN_CAPACITY ? MIN_CAPACITY : capacity() * 2;
        while (next < needed)
            next *= 2;
        items_.reserve(static_cast<size_t>(next));
    }

    std::vector<Slot> items_;
};

} // namespace tessel
