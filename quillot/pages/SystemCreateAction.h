#pragma once

#include "quillot/frame/PageAction.h"

// A new company database ("create"): its name, the company's name and the
// administrator's password come from the form; "demo" = 1 also fills it
// with demonstration partners and products.
class SystemCreateAction : public PageAction {
public:
    void execute() override;

private:
    void _create();
};
