#pragma once

#include "quillot/frame/PageAction.h"

// The options page: its template alone.
class OptionsAction : public PageAction {
public:
    tessel::String getClassName() const override { return u"OptionsAction"; }
};
