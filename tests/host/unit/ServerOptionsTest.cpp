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
    Outcome outcome = ServerOptions::parse(static_cast<int>(arguments.size()), arguments.data(), options, error);
    EXPECT_EQ(error.empty(), outcome != Outcome::Invalid) << error;
    return outcome;
}

} // namespace

TEST(ServerCommandLine, DefaultsAndBothSpellings)
{
    ServerOptions defaults;
    EXPECT_EQ(parse({}, defaults), Outcome::Run);
    EXPECT_EQ(defaults.host, "127.0.0.1");
    EXPECT_EQ(defaults.port, 8080);
    EXPECT_EQ(defaults.sessionMinutes, 30);
    EXPECT_EQ(defaults.signinFailures, 5);
    EXPECT_EQ(defaults.maxAnonymousSessions, 1000);

    // The options the end-to-end tests do not give, and the "=" spelling.
    ServerOptions options;
    EXPECT_EQ(parse({"--host", "0.0.0.0", "--port=0", "--data=/srv/data", "--start-page", "Home",
                     "--session-minutes=5"},
                    options),
              Outcome::Run);
    EXPECT_EQ(options.host, "0.0.0.0");
    EXPECT_EQ(options.port, 0);
    EXPECT_EQ(options.dataFolder, "/srv/data");
    EXPECT_EQ(options.startPage, "Home");
    EXPECT_EQ(options.sessionMinutes, 5);
    EXPECT_EQ(parse({"--port", "1", "--help"}, options), Outcome::Help);
}

TEST(ServerCommandLine, RefusesUnknownOptionsAndBadValues)
{
    for (const std::vector<const char*>& arguments :
         std::vector<std::vector<const char*>>{{"--verbose"},
                                               {"extra"},
                                               {"--port"},
                                               {"--port", "65536"},
                                               {"--port", "-1"},
                                               {"--port", "80x"},
                                               {"--port="},
                                               {"--app", ""},
                                               {"--max-connections", "0"},
                                               {"--plugin", ""},
                                               {"--session-minutes", "0"},
                                               {"--max-sessions", "0"},
                                               {"--max-sessions", "many"},
                                               {"--signin-failures", "0"},
                                               {"--max-anonymous-sessions", "0"}}) {
        ServerOptions options;
        EXPECT_EQ(parse(arguments, options), Outcome::Invalid) << arguments[0];
    }
}

TEST(ServerCommandLine, FindsTheApplicationLibraryBesideTheProgramFolder)
{
    const std::pair<const char*, const char*> rows[] = {
        {"/srv/quillot/build/bin", "/srv/quillot/build/lib/libquillot.so"},
        {"/srv/quillot/build/bin/", "/srv/quillot/build/lib/libquillot.so"},
        {"/bin", "/lib/libquillot.so"},
        {"bin", "./lib/libquillot.so"},
    };
    for (const auto& [folder, library] : rows)
        EXPECT_EQ(ServerOptions::defaultPlugin(folder), library) << folder;
}
