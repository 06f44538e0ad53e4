#pragma once

#include "tessel/core/String.h"
#include "tessel/core/Value.h"
#include "tessel/web/HttpAction.h"

class IDbSession;
class UserState;

// Base of every page action of the application. Besides the framework's
// action it knows the signed-in company's session tree (set by the
// dispatcher's initAction; null when nobody is signed in), the visitor's
// own state and the database session the host bound.
class PageAction : public tessel::HttpAction {
public:
    tessel::Value* company() const { return company_; }
    void setCompany(tessel::Value* company) { company_ = company; }
    IDbSession* db() const { return getDbSession(); }
    // The "FORM" section of the data tree (made when missing).
    tessel::Value* form() const;
    // The "POST" section, or null for a request that is not a POST.
    tessel::Value* post() const;
    // The visitor's own state, kept in the session.
    UserState& userState() const;
    // Sends the browser to `url` instead of rendering the page.
    void redirectTo(const tessel::String& url);

protected:
    ~PageAction() override = default;

private:
    tessel::Value* company_ = nullptr;
};
