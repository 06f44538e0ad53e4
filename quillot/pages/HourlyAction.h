#pragma once

#include "quillot/frame/PageAction.h"

// The current time "%H:%M", for the page clock.
class HourlyAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"HourlyAction"; }
    void execute() override;
};
