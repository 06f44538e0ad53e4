#include "host/ServerOptions.h"

#include <sys/stat.h>

#include <charconv>
#include <string_view>

namespace host {

namespace {

template <class Number>
bool readNumber(std::string_view text, Number low, Number high, Number& out)
{
    Number value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

ServerOptions::Outcome ServerOptions::parse(int argc, const char* const* argv, ServerOptions& options,
                                            std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::string_view value;
        bool hasValue = false;
        size_t eq = argument.find('=');
        if (argument.substr(0, 2) == "--" && eq != std::string_view::npos) {
            value = argument.substr(eq + 1);
            argument = argument.substr(0, eq);
            hasValue = true;
        }
        if (argument == "--help" || argument == "-h")
            return Outcome::Help;
        auto next = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= argc)
                return false;
            value = argv[++i];
            return true;
        };
        bool known = true;
        bool valid = true;
        if (argument == "--host")
            valid = next() && !value.empty() && (options.host = value, true);
        else if (argument == "--port")
            valid = next() && readNumber(value, 0, 65535, options.port);
        else if (argument == "--app")
            valid = next() && !value.empty() && (options.appFolder = value, true);
        else if (argument == "--data")
            valid = next() && !value.empty() && (options.dataFolder = value, true);
        else if (argument == "--start-page")
            valid = next() && !value.empty() && (options.startPage = value, true);
        else if (argument == "--max-connections")
            valid = next() && readNumber(value, 1, 100000, options.maxConnections);
        else if (argument == "--max-body")
            valid = next() && readNumber<int64_t>(value, 1, int64_t(1) << 40, options.maxBodyBytes);
        else if (argument == "--read-seconds")
            valid = next() && readNumber(value, 1, 3600, options.readSeconds);
        else if (argument == "--plugin")
            valid = next() && !value.empty() && (options.plugin = value, true);
        else if (argument == "--session-minutes")
            valid = next() && readNumber(value, 1, 7 * 24 * 60, options.sessionMinutes);
        else if (argument == "--max-sessions")
            valid = next() && readNumber(value, 1, 1000000, options.maxSessions);
        else if (argument == "--max-anonymous-sessions")
            valid = next() && readNumber(value, 1, 1000000, options.maxAnonymousSessions);
        else if (argument == "--signin-failures")
            valid = next() && readNumber(value, 1, 1000000, options.signinFailures);
        else if (argument == "--create")
            valid = next() && !value.empty() && (options.createDatabase = value, true);
        else if (argument == "--check")
            valid = next() && !value.empty() && (options.checkDatabase = value, true);
        else if (argument == "--company")
            valid = next() && !value.empty() && (options.createCompany = value, true);
        else if (argument == "--no-demo")
            valid = !hasValue && (options.demo = false, true);
        else
            known = false;
        if (!known) {
            error = "unknown option " + std::string(argument);
            return Outcome::Invalid;
        }
        if (!valid) {
            error = "missing or invalid value for " + std::string(argument);
            return Outcome::Invalid;
        }
    }
    if (!options.createCompany.empty() && options.createDatabase.empty()) {
        error = "--company goes with --create";
        return Outcome::Invalid;
    }
    if (!options.checkDatabase.empty() && !options.createDatabase.empty()) {
        error = "--check and --create are separate runs";
        return Outcome::Invalid;
    }
    return Outcome::Run;
}

std::string ServerOptions::usage(const std::string& program)
{
    return "usage: " + program +
           " [options]\n"
           "  --host ADDRESS         address to listen on (default 127.0.0.1)\n"
           "  --port N               port to listen on, 0 picks a free one (default 8080)\n"
           "  --app FOLDER           application folder (default ./app, else the source tree's)\n"
           "  --data FOLDER          data folder, created when missing (default ./data)\n"
           "  --start-page NAME      page that \"/\" shows (default login)\n"
           "  --max-connections N    connections served at once (default 200)\n"
           "  --max-body BYTES       largest request body (default 136 MiB)\n"
           "  --read-seconds N       end a connection whose client is silent for N seconds while\n"
           "                         sending a request (default 30 for the header, 60 in a body)\n"
           "  --plugin FILE          application library (default ../lib/libquillot.so beside the program)\n"
           "  --session-minutes N    a visitor's session ends after N idle minutes (default 30)\n"
           "  --max-sessions N       visitor sessions kept at once (default 10000)\n"
           "  --max-anonymous-sessions N\n"
           "                         of them, sessions of visitors not signed in (default 1000)\n"
           "  --signin-failures N    failed sign-ins of one address or user before it has to wait\n"
           "                         (default 5)\n"
           "  --create NAME          make the company database NAME in the data folder, asking for\n"
           "                         the administrator's password, and exit\n"
           "  --company TEXT         with --create: the company's name (default NAME)\n"
           "  --check NAME           check the books of the company database NAME in the data folder,\n"
           "                         print each finding and exit (non-zero when anything is off)\n"
           "  --no-demo              do not make the demo company (database \"demo\") when it is missing\n"
           "  --help                 this text\n";
}

std::string ServerOptions::defaultAppFolder(const std::string& sourceTreeApp)
{
    if (isFolder("app") || sourceTreeApp.empty())
        return "app";
    return sourceTreeApp;
}

std::string ServerOptions::defaultPlugin(const std::string& programFolder)
{
    std::string folder = programFolder;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    size_t slash = folder.rfind('/');
    std::string parent = slash == std::string::npos ? "." : slash == 0 ? "" : folder.substr(0, slash);
    return parent + "/lib/libquillot.so";
}

} // namespace host
