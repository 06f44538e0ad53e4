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

protected:
    ~PageAction() override = default;

private:
    tessel::Value* company_ = nullptr;
};

// The page of a name the application does not know, and of pages that have
// no work of their own: the framework still renders the page's template.
class EmptyAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"EmptyAction"; }
};
