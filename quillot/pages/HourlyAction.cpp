#include "quillot/pages/HourlyAction.h"

#include "tessel/core/DateTime.h"

namespace {
const PageRegistration<HourlyAction> registration(u"Hourly");
} // namespace

void HourlyAction::execute()
{
    getValue()->insert(u"hourly", tessel::DateTime::getSystemTime().format(u"%H:%M"));
}
