#include "quillot/frame/Application.h"

#include <cstdio>
#include <cstring>

namespace {

tessel::HttpWindow* hostWindow = nullptr;
int cachedVersion = 0;

} // namespace

tessel::HttpWindow* Application::window()
{
    return hostWindow;
}

void Application::setWindow(tessel::HttpWindow* window)
{
    hostWindow = window;
}

int Application::version()
{
    if (cachedVersion == 0)
        cachedVersion = versionOf(__DATE__);
    return cachedVersion;
}

int Application::versionOf(const char* buildDate)
{
    static const char MONTHS[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    char month[4] = {};
    int day = 0, year = 0;
    if (!buildDate || std::sscanf(buildDate, "%3s %d %d", month, &day, &year) != 3 || std::strlen(month) != 3)
        return 0;
    for (int m = 0; m < 12; m++)
        if (std::strncmp(MONTHS + 3 * m, month, 3) == 0)
            return (year * 100 + m + 1) * 100 + day;
    return 0;
}
