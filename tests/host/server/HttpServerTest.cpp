#include <gtest/gtest.h>

#include <csignal>

#include "TempFolder.h"
#include "host/Application.h"
#include "host/HostWindow.h"
#include "host/HttpServer.h"
#include "host/Limits.h"
#include "host/PageServer.h"
#include "host/ServerOptions.h"
#include "host/SettingsFile.h"
#include "host/UploadFolder.h"

namespace {

// The server's loop in this process, without clients: what the page glue
// relies on for its periodic work.
class ServerLoop : public ::testing::Test {
protected:
    static host::ServerOptions optionsFor(const TempFolder& temp)
    {
        temp.write("app/static/site.css", "body{}");
        host::ServerOptions options;
        options.appFolder = temp / "app";
        options.dataFolder = temp.path();
        return options;
    }

    void SetUp() override
    {
        ASSERT_TRUE(uploads.prepare());
        std::string error;
        ASSERT_TRUE(server.listen("127.0.0.1", 0, error)) << error;
    }

    TempFolder temp;
    host::ServerOptions options = optionsFor(temp);
    host::SettingsFile settings{temp / "settings.ini"};
    host::HostWindow window{settings};
    host::PageServer pages{options, window};
    host::Application application{options, pages};
    host::UploadFolder uploads{temp / "upload"};
    host::Limits limits;
    host::HttpServer server{application, uploads, limits};
};

} // namespace

TEST_F(ServerLoop, TheTimerHookRunsUntilTheServerStops)
{
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

TEST_F(ServerLoop, ASignalEndsRunNormally)
{
    int calls = 0;
    server.setTimer(
        [&] {
            ++calls;
            std::raise(SIGTERM);
            return 1;
        },
        1);
    server.run();
    EXPECT_EQ(calls, 1);
}

TEST(ServerListening, ReportsAnAddressItCannotTake)
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
    host::Limits limits;
    host::HttpServer first(application, uploads, limits);
    host::HttpServer second(application, uploads, limits);
    std::string error;
    ASSERT_TRUE(first.listen("127.0.0.1", 0, error)) << error;
    int port = std::stoi(first.address().substr(first.address().rfind(':') + 1));
    EXPECT_FALSE(second.listen("127.0.0.1", port, error));
    EXPECT_FALSE(error.empty());
}
