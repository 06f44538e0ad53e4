#pragma once

#include "quillot/pages/DocumentAction.h"

// A payment with its lines and what their orders still owe; "state" is
// the word of its state. Commands on FORM.pymid: "red" reverses it with a
// red-ink copy and answers "ok:" and the copy's number, "remove" deletes a
// payment in state 1 or a red-ink copy; each answers "ok:" or its key.
class PaymentViewAction : public DocumentAction {
public:
    using DocumentAction::DocumentAction;
    void execute() override;

private:
    void _show();
    void _red();
    void _remove();
};
