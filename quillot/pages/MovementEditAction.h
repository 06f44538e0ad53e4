#pragma once

#include "quillot/pages/DocumentAction.h"

// The form of a stock receipt (issue). Without a command: a new document
// (the number it will probably get, today, the first currency), one
// pre-filled with the open lines of the orders FORM.ordid names ("P1,P2"),
// an existing one (FORM.impid; FORM._exist tells the save it is an update),
// or with "copyadd" a new one pre-filled from an old one. "open" holds the
// partner's open order lines to pick from. "save" answers "ok:" and the
// document's number, or the key of the first failure.
class MovementEditAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;
    void execute() override;

protected:
    void prefillNew() override;
    bool listOpen(int partner) override;

private:
    void _show();
    void _save();
};
