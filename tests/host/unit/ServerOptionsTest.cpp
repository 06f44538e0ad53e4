#include <gtest/gtest.h>

#include <vector>

#include "host/ServerOptions.h"

using host::ServerOptions;
using Outcome = ServerOptions::Outcome;

namespace {

Outcome parse(std::vector<const char*> arguments, ServerOptions& options)
{
    arguments.insert(arguments.begin(), "quillot-server");
    std::string error;
    return ServerOptions::parse(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

} // namespace

TEST(ServerCommandLine, DefaultsWithoutArguments)
{
    ServerOptions options;
    EXPECT_EQ(parse({}, options), Outcome::Run);
    EXPECT_EQ(options.host, "127.0.0.1");
    EXPECT_EQ(options.port, 8080);
    EXPECT_EQ(options.startPage, "login");
    EXPECT_EQ(options.maxConnections, 200);
    EXPECT_EQ(options.sessionMinutes, 30);
    EXPECT_EQ(options.maxSessions, 10000);
}

TEST(ServerCommandLine, ReadsEveryOptionInBothSpellings)
{
    ServerOptions options;
    EXPECT_EQ(parse({"--host", "0.0.0.0", "--port=0", "--app", "/srv/app", "--data=/srv/data", "--start-page", "Home",
                     "--max-connections", "5", "--max-body=1024"},
                    options),
              Outcome::Run);
    EXPECT_EQ(options.host, "0.0.0.0");
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.appFolder, "/srv/app");
    EXPECT_EQ(options.dataFolder, "/srv/data");
    EXPECT_EQ(options.startPage, "Home");
    EXPECT_EQ(options.maxConnections, 5);
    EXPECT_EQ(options.maxBodyBytes, 1024);
}

TEST(ServerCommandLine, ReadsTheApplicationAndSessionOptions)
{
    ServerOptions options;
    EXPECT_EQ(parse({"--plugin", "/opt/q/libquillot.so", "--session-minutes=5", "--max-sessions", "20"}, options),
              Outcome::Run);
    EXPECT_EQ(options.plugin, "/opt/q/libquillot.so");
    EXPECT_EQ(options.sessionMinutes, 5);
    EXPECT_EQ(options.maxSessions, 20);
}

TEST(ServerCommandLine, FindsTheApplicationLibraryBesideTheProgramFolder)
{
    EXPECT_EQ(ServerOptions::defaultPlugin("/srv/quillot/build/bin"), "/srv/quillot/build/lib/libquillot.so");
    EXPECT_EQ(ServerOptions::defaultPlugin("/srv/quillot/build/bin/"), "/srv/quillot/build/lib/libquillot.so");
    EXPECT_EQ(ServerOptions::defaultPlugin("/bin"), "/lib/libquillot.so");
    EXPECT_EQ(ServerOptions::defaultPlugin("bin"), "./lib/libquillot.so");
}

TEST(ServerCommandLine, AsksForHelp)
{
    ServerOptions options;
    EXPECT_EQ(parse({"--port", "1", "--help"}, options), Outcome::Help);
    EXPECT_NE(ServerOptions::usage("quillot-server").find("--data"), std::string::npos);
}

TEST(ServerCommandLine, RefusesUnknownOptionsAndBadValues)
{
    for (std::vector<const char*> arguments : std::vector<std::vector<const char*>>{
             {"--verbose"}, {"extra"}, {"--port"}, {"--port", "65536"}, {"--port", "-1"}, {"--port", "80x"},
             {"--port="}, {"--app", ""}, {"--max-connections", "0"}, {"--plugin", ""}, {"--session-minutes", "0"},
             {"--max-sessions", "0"}, {"--max-sessions", "many"}}) {
        ServerOptions options;
        std::vector<const char*> line = arguments;
        line.insert(line.begin(), "quillot-server");
        std::string error;
        EXPECT_EQ(ServerOptions::parse(static_cast<int>(line.size()), line.data(), options, error), Outcome::Invalid)
            << arguments[0];
        EXPECT_FALSE(error.empty());
    }
}
