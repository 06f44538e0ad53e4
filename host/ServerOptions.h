#pragma once

#include <cstdint>
#include <string>

namespace host {

// The command line of quillot-server.
struct ServerOptions {
    enum class Outcome { Run, Help, Invalid };

    std::string host = "127.0.0.1";
    int port = 8080; // 0 picks a free port
    std::string appFolder;
    std::string dataFolder = "data";
    std::string startPage = "login";
    int maxConnections = 200;
    int64_t maxBodyBytes = 0;        // 0: the built-in limit
    int readSeconds = 0;             // a client's silence before its connection ends; 0: the built-in limits
    std::string plugin;              // the application library
    int sessionMinutes = 30;         // a visitor's session ends after this much inactivity
    int maxSessions = 10000;         // sessions kept at once
    int maxAnonymousSessions = 1000; // of them, sessions that never signed in
    int signinFailures = 5;          // failed sign-ins of one address or user before it must wait
    // --create NAME [--company TEXT]: make that company database, asking
    // for its administrator's password, and exit instead of serving.
    std::string createDatabase;
    std::string createCompany; // the company's name; the database's when empty
    // --check NAME: check the books of that company database, print the
    // findings and exit instead of serving.
    std::string checkDatabase;
    bool demo = true; // make the demo company when the data folder has none

    // Reads the arguments over the values `options` already holds (the
    // defaults). Invalid leaves a one-line reason in `error`.
    static Outcome parse(int argc, const char* const* argv, ServerOptions& options, std::string& error);
    static std::string usage(const std::string& program);
    // `app` in the current folder when there is one, else the source
    // tree's application folder.
    static std::string defaultAppFolder(const std::string& sourceTreeApp);
    // "libquillot.so" in the library folder beside the program's folder
    // (bin/quillot-server, lib/libquillot.so), given the program's folder.
    static std::string defaultPlugin(const std::string& programFolder);
};

} // namespace host
