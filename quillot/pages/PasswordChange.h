#pragma once

#include "quillot/frame/TableClass.h"
#include "tessel/core/String.h"

class PasswordCheck;

// A user's new password, given the old one: the old one is checked as a
// sign-in checks it (the stored hash, or a row of an older database that
// still holds plain text), the new one is stored as a hash, and the row
// changes only while it still holds what was checked.
class PasswordChange : public TableClass {
public:
    static constexpr int MIN_LENGTH = 4;
    static constexpr int MAX_LENGTH = 256;
    static constexpr int MAX_USERID = 64;

    enum class Outcome { Changed, Refused, Pending };

    explicit PasswordChange(const PageAction& page);

    // Refusals: "empty" (a password missing), "short" (the new one has
    // fewer than MIN_LENGTH characters), "long" (more than MAX_LENGTH),
    // "failed" (no such user, a wrong old password, or the row changed
    // meanwhile). Pending when `check` left the old password to the host.
    Outcome change(const tessel::String& userid, const tessel::String& oldPassword, const tessel::String& newPassword,
                   PasswordCheck& check);
};
