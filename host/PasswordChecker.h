#pragma once

#include <string>

#include "tessel/core/String.h"

namespace tessel {
class HttpRequest;
}

namespace host {

class HostRequest;

// The server's side of checking a sign-in password away from the request
// loop. The server offers it to every page request by an empty Value under
// attributeName() on the framework's request; a page that signs in leaves
// the stored hash and the typed password there instead of checking them
// itself, and the server checks them on a thread of its own (matches is
// libsodium alone and touches nothing else) and runs the request again
// with "valid" added.
class PasswordChecker {
public:
    // Checks made for one request at most; a page that asks again after
    // that is answered 503.
    static constexpr int MAX_ROUNDS = 2;

    static const tessel::String& attributeName(); // "host.passwordCheck"

    // Puts the offer, with the answer when there is one, on `target`.
    static void offer(tessel::HttpRequest& target, const HostRequest& request);
    // Whether the page asked for a check; the question goes to `request`.
    static bool asked(tessel::HttpRequest& target, HostRequest& request);
    // Whether `password` matches the Argon2 hash `hash`. Safe on any thread.
    static bool matches(const std::string& hash, const std::string& password);
};

} // namespace host
