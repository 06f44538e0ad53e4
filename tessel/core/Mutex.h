#pragma once

#include <mutex>

#include "tessel/core/IObject.h"

namespace tessel {

// The framework's lock: recursive and in-process. A thread that owns it may
// enter again; each enter is matched by one leave.
class Mutex : public IObject {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void enter() { lock_.lock(); }
    void leave() { lock_.unlock(); }
    // True only when the lock was taken.
    bool tryenter() { return lock_.try_lock(); }

private:
    std::recursive_mutex lock_;
};

} // namespace tessel
