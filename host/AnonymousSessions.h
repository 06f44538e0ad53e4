#pragma once

#include <cstddef>
#include <deque>

#include "tessel/core/String.h"

namespace host {

// The sessions made for visitors who did not sign in, counted apart from
// the signed-in ones: at most `limit` of them are kept, and a new one
// beyond that pushes the oldest out of the session registry. A flood of
// requests without a session therefore costs a bounded amount of memory
// and never pushes a signed-in visitor out. A session that signs in later
// has a new id by then, so dropping its old id does not touch it.
class AnonymousSessions {
public:
    static constexpr int DEFAULT_LIMIT = 1000;

    explicit AnonymousSessions(int limit = DEFAULT_LIMIT) : limit_(limit > 0 ? static_cast<size_t>(limit) : 1) {}

    // A session made by a request that did not sign in.
    void add(const tessel::String& id);
    size_t size() const { return ids_.size(); }

private:
    std::deque<tessel::String> ids_; // oldest first
    size_t limit_;
};

} // namespace host
