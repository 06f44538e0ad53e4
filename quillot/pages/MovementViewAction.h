#pragma once

#include "quillot/pages/MovementEditAction.h"

// A stock receipt (issue) with its lines and the invoice lines made from
// it; "state" is the word of its state. Commands on FORM.impid (expid):
// "red" reverses it with a red-ink copy and answers "ok:" and the copy's
// number, "remove" deletes a document in state 1 or a red-ink copy, "date"
// changes the expected invoice and payment dates (FORM.invdt, FORM.pymdt;
// empty clears one); each answers "ok:" or its key.
class MovementViewAction : public MovementEditAction {
public:
    using MovementEditAction::MovementEditAction;
    void execute() override;

protected:
    // The document of FORM's number into the data tree; false when it is
    // not there or could not be read (the page has then answered).
    bool loadMovement();

private:
    void _show();
    void _red();
    void _remove();
    void _date();
};
