#pragma once

#include <vector>

#include "quillot/frame/PageAction.h"
#include "tessel/core/String.h"

// The books check of the signed-in company: "findings" lists each fault
// found ("text"), "count" how many. With "cmd" "text" the answer is the
// check alone, for the server's command line: "ok:" and the number of
// findings on the first line, then one finding a line.
class SystemCheckAction : public PageAction {
public:
    void execute() override;

private:
    // Runs the check into `findings`; false, with the error set, when it
    // could not run.
    bool _check(std::vector<tessel::String>& findings);
    void _show();
    void _text();
};
