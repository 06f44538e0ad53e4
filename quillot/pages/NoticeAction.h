#pragma once

#include "quillot/frame/PageAction.h"

// What is due: order lines to confirm, ship, receive and invoice, payments
// to collect and make, and products to reorder, each section switched on or
// off by the user; "days" limits the dated sections to what falls due
// within that many days.
class NoticeAction : public PageAction {
public:
    void execute() override;

private:
    void _saveSwitches(tessel::Value* post);
    void _takeBackupReminder();
};
