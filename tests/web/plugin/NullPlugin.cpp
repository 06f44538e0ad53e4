// A business library whose entry point hands out no dispatcher.
#include "tessel/core/String.h"
#include "tessel/web/HttpContext.h"
#include "tessel/web/HttpDispatcher.h"
#include "tessel/web/HttpWindow.h"

using namespace tessel;

extern "C" HttpDispatcher* LoadDispatcher(HttpContext*, HttpWindow* window)
{
    if (window)
        window->setSetting(u"null", u"called");
    return nullptr;
}
