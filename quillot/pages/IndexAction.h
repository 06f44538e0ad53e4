#pragma once

#include "quillot/frame/PageAction.h"

// The home page: the notices, or the upgrade page while the database is of
// an older data version.
class IndexAction : public PageAction {
public:
    void execute() override;
};
