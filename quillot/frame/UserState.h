#pragma once

#include <cstdint>

#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {
class HttpSession;
}

// What belongs to one signed-in visitor beside the company tree: who signed
// in, the tax factor of the company, and when the notice texts were last
// stored. Kept as an attribute of the visitor's session, so two visitors of
// two companies never see each other's values.
class UserState : public tessel::IObject {
public:
    static constexpr double DEFAULT_TAX_FACTOR = 1.17;

    // The state of a session, made on first use.
    static UserState& of(tessel::HttpSession& session);

    const tessel::String& userId() const { return userId_; }
    void setUserId(const tessel::String& userId) { userId_ = userId; }
    double taxFactor() const { return taxFactor_; }
    void setTaxFactor(double factor) { taxFactor_ = factor; }
    int64_t lastNoticeTime() const { return lastNoticeTime_; }
    void setLastNoticeTime(int64_t time) { lastNoticeTime_ = time; }

private:
    tessel::String userId_;
    double taxFactor_ = DEFAULT_TAX_FACTOR;
    int64_t lastNoticeTime_ = 0;
};
