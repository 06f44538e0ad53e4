#pragma once

#include "quillot/frame/PageAction.h"

// The current time "%H:%M", for the page clock.
class HourlyAction : public PageAction {
public:
    void execute() override;
};
