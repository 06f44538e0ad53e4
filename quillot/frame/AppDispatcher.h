#pragma once

#include "tessel/web/HttpDispatcher.h"

// The application's dispatcher: page names become page actions, each
// prepared with the signed-in company's session tree; a request may be
// served when its session holds a signed-in company; the application's own
// template function is "stateof"; the timer runs every minute.
class AppDispatcher : public tessel::HttpDispatcher {
public:
    static constexpr int TIMER_INTERVAL = 60000;

    bool dispatch(const tessel::String& page, tessel::HttpAction** out) override;
    void initAction(tessel::HttpAction& action) override;
    bool checkRight(tessel::HttpRequest& request) override;
    bool createFunction(const tessel::String& name, tessel::HttpFunction** out) override;
    bool onTimer(int& interval) override;
};
