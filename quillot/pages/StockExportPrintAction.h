#pragma once

#include "quillot/pages/MovementViewAction.h"

// The delivery note (A4): the issue as on its view page, the client and
// the company's own data ("myself").
class StockExportPrintAction : public MovementViewAction {
public:
    using MovementViewAction::MovementViewAction;
    void execute() override;

private:
    void _show();
};
