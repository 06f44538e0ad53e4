#pragma once

#include "tessel/core/String.h"

namespace tessel {
class HttpRequest;
}

// Whether a typed password matches the stored one, checked where the host
// wants it. The hash check is slow on purpose (tens of milliseconds), and a
// host that serves every visitor from one thread would stand still for it.
// Such a host offers to check elsewhere by putting an empty Value under
// attributeName() on the request. The request's first run then only
// leaves "hash" and "password" in that Value and reports Pending; the host
// checks them on another thread, adds "valid" ("1" or "0") and runs the
// request again, which takes the answer from there. Without the offer the
// check runs here and now.
//
// Something is always checked: for an unknown user, or a row that still
// holds plain text, a hash no password matches, so that the answer takes as
// long as for a known user.
class PasswordCheck {
public:
    enum class Outcome { Match, Mismatch, Pending };

    static const tessel::String& attributeName(); // "host.passwordCheck"

    // `request` may be null: then the check runs here.
    explicit PasswordCheck(tessel::HttpRequest* request);

    // `stored` is what the user's row holds, empty for an unknown user.
    // `plain` tells that the row held plain text.
    Outcome check(const tessel::String& stored, const tessel::String& typed, bool& plain);

private:
    // Whether `typed` matches the hash, or Pending when the host checks it.
    Outcome checkHash(const tessel::String& hash, const tessel::String& typed);

    tessel::HttpRequest* request_;
};
