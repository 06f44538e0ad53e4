#pragma once

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// A key/value pair of texts, ordered by key and then by value; query-string
// parameters and headers are kept as lists of them.
class PairEntry : public IObject {
public:
    PairEntry() = default;
    PairEntry(const String& key, const String& value) : key(key), value(value) {}
    PairEntry(const PairEntry& other) : IObject(), key(other.key), value(other.value) {}
    PairEntry& operator=(const PairEntry& other)
    {
        key = other.key;
        value = other.value;
        return *this;
    }

    virtual int compare(const PairEntry& other) const
    {
        int byKey = key.compare(other.key);
        return byKey != 0 ? byKey : value.compare(other.value);
    }
    virtual bool operator>(const PairEntry& other) const { return compare(other) > 0; }
    virtual bool operator<(const PairEntry& other) const { return compare(other) < 0; }
    virtual bool operator>=(const PairEntry& other) const { return compare(other) >= 0; }
    virtual bool operator<=(const PairEntry& other) const { return compare(other) <= 0; }
    virtual bool operator!=(const PairEntry& other) const { return compare(other) != 0; }
    virtual bool operator==(const PairEntry& other) const { return compare(other) == 0; }

    String key;
    String value;
};

} // namespace tessel
