#pragma once

#include "quillot/frame/PageAction.h"

// The notice texts of the home page: "save" stores the two texts the page
// sends, "info1" and "info2" show them again.
class UpdateAction : public PageAction {
public:
    // After this many seconds without a stored notice text, "info1" also
    // shows the program version.
    static constexpr int STALE_AFTER = 600;

    void execute() override;

private:
    void _save();
    void _info1();
    void _info2();
    void _info(int classid, bool withVersion);
};
