#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"

namespace tessel {

// A stream whose position can be moved; each operation returns the new
// position, or -1 when the stream cannot move.
class ISeekable : public virtual IObject {
public:
    virtual int64_t moveToBegin() = 0;
    virtual int64_t moveToEnd() = 0;
    virtual int64_t moveTo(int64_t position) = 0;
    virtual int64_t moveBy(int64_t delta) = 0;
};

} // namespace tessel
