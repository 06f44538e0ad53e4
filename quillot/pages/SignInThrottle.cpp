#include "quillot/pages/SignInThrottle.h"

#include <algorithm>

using tessel::String;

SignInThrottle& SignInThrottle::instance()
{
    static SignInThrottle throttle;
    return throttle;
}

void SignInThrottle::setFailuresAllowed(int failures)
{
    failuresAllowed_ = failures > 0 ? failures : DEFAULT_FAILURES_ALLOWED;
}

int64_t SignInThrottle::waitSeconds(const String& address, const String& user, int64_t now)
{
    return std::max(waitOf(addresses_, address, now), waitOf(users_, user, now));
}

void SignInThrottle::recordFailure(const String& address, const String& user, int64_t now)
{
    record(addresses_, address, now);
    record(users_, user, now);
}

void SignInThrottle::recordSuccess(const String& user)
{
    users_.erase(user);
}

void SignInThrottle::clear()
{
    addresses_.clear();
    users_.clear();
}

int64_t SignInThrottle::waitOf(Book& book, const String& key, int64_t now) const
{
    auto found = book.find(key);
    if (found == book.end())
        return 0;
    Failures& failures = found->second;
    forgetOld(failures, now);
    int64_t count = static_cast<int64_t>(failures.size());
    if (count < failuresAllowed_) {
        if (failures.empty())
            book.erase(found);
        return 0;
    }
    int64_t wait = FIRST_WAIT_SECONDS;
    for (int64_t extra = count - failuresAllowed_; extra > 0 && wait < MAX_WAIT_SECONDS; extra--)
        wait *= 2;
    wait = std::min(wait, MAX_WAIT_SECONDS);
    int64_t until = failures.back() + wait;
    return until > now ? until - now : 0;
}

void SignInThrottle::record(Book& book, const String& key, int64_t now)
{
    if (book.size() >= MAX_REMEMBERED && book.find(key) == book.end())
        makeRoom(book, now);
    Failures& failures = book[key];
    forgetOld(failures, now);
    failures.push_back(now);
    // More than would still change the wait need not be kept.
    while (failures.size() > static_cast<size_t>(failuresAllowed_) + 8)
        failures.pop_front();
}

void SignInThrottle::forgetOld(Failures& failures, int64_t now)
{
    while (!failures.empty() && failures.front() + WINDOW_SECONDS <= now)
        failures.pop_front();
}

void SignInThrottle::makeRoom(Book& book, int64_t now)
{
    for (auto at = book.begin(); at != book.end();) {
        forgetOld(at->second, now);
        at = at->second.empty() ? book.erase(at) : std::next(at);
    }
    while (book.size() >= MAX_REMEMBERED) {
        auto oldest = std::min_element(book.begin(), book.end(),
                                       [](const auto& a, const auto& b) { return a.second.back() < b.second.back(); });
        book.erase(oldest);
    }
}
