#include "quillot/pages/HourlyAction.h"

#include "tessel/core/DateTime.h"

void HourlyAction::execute() { getValue()->insert(u"hourly", tessel::DateTime::getSystemTime().format(u"%H:%M")); }
