#pragma once

#include "quillot/frame/PageAction.h"

// The home page: the notices, or the upgrade page while the database is of
// an older data version.
class IndexAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"IndexAction"; }
    void execute() override;
};
