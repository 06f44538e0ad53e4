#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "host/Application.h"
#include "host/HostWindow.h"
#include "host/HttpServer.h"
#include "host/Limits.h"
#include "host/PageServer.h"
#include "host/ServerOptions.h"
#include "host/SettingsFile.h"
#include "host/UploadFolder.h"

using tessel::testing::TempFolder;

// The server's loop in this process, without clients: the timer that
// drives the application's periodic work and the sessions' clean-up runs
// on the loop until the server stops.
TEST(ServerLoop, TheTimerHookRunsUntilTheServerStops)
{
    TempFolder temp;
    host::ServerOptions options;
    options.appFolder = temp.path();
    options.dataFolder = temp.path();
    host::SettingsFile settings(temp / "settings.ini");
    host::HostWindow window(settings);
    host::PageServer pages(options, window);
    host::Application application(options, pages);
    host::UploadFolder uploads(temp / "upload");
    ASSERT_TRUE(uploads.prepare());
    host::Limits limits;
    host::HttpServer server(application, uploads, limits);
    std::string error;
    ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
    int calls = 0;
    server.setTimer(
        [&] {
            if (++calls == 3)
                server.stop();
            return 1; // the next call after one millisecond
        },
        1);
    server.run();
    EXPECT_EQ(calls, 3);
}
