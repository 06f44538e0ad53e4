#pragma once

#include <cstdint>
#include <deque>
#include <map>

#include "tessel/core/String.h"

// Failed sign-ins, remembered per client address and per user (of one
// database), so that passwords cannot be guessed at the speed of the
// server. After `failuresAllowed` failures within a quarter of an hour,
// further attempts of that address or user are refused without checking
// the password until a wait has passed: 30 seconds after the last failure,
// doubling with each further failure up to a quarter of an hour. A
// successful sign-in forgets the user's failures (not the address's: one
// right password must not open the way for guessing others).
//
// Process-wide, like the sign-in it guards; the server runs every request
// on one thread.
class SignInThrottle {
public:
    static constexpr int DEFAULT_FAILURES_ALLOWED = 5;
    static constexpr int64_t WINDOW_SECONDS = 15 * 60;
    static constexpr int64_t FIRST_WAIT_SECONDS = 30;
    static constexpr int64_t MAX_WAIT_SECONDS = 15 * 60;
    // Addresses and users remembered at once; beyond, those whose last
    // failure is oldest are forgotten first.
    static constexpr size_t MAX_REMEMBERED = 10000;

    static SignInThrottle& instance();

    void setFailuresAllowed(int failures);
    int failuresAllowed() const { return failuresAllowed_; }

    // Seconds before `address` or `user` may try again at `now`; 0 when it
    // may try now.
    int64_t waitSeconds(const tessel::String& address, const tessel::String& user, int64_t now);
    void recordFailure(const tessel::String& address, const tessel::String& user, int64_t now);
    void recordSuccess(const tessel::String& user);
    void clear();

private:
    using Failures = std::deque<int64_t>; // times, oldest first
    using Book = std::map<tessel::String, Failures>;

    int64_t waitOf(Book& book, const tessel::String& key, int64_t now) const;
    void record(Book& book, const tessel::String& key, int64_t now);
    static void forgetOld(Failures& failures, int64_t now);
    static void makeRoom(Book& book, int64_t now);

    Book addresses_;
    Book users_;
    int failuresAllowed_ = DEFAULT_FAILURES_ALLOWED;
};
