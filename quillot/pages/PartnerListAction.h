#pragma once

#include "quillot/frame/SideAction.h"

// The list of suppliers (or clients), 100 a page, filtered by FORM.filter;
// "save" stores the rows edited in place (POST.list rows with "_type").
class PartnerListAction : public SideAction {
public:
    using SideAction::SideAction;
    void execute() override;

private:
    void _show();
    void _save();
};
