// quillot-server: serves the application folder's static files and, through
// the page server, the application's pages over HTTP.

#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <string>

#include "host/Application.h"
#include "host/CompanyCreation.h"
#include "host/HostWindow.h"
#include "host/HttpServer.h"
#include "host/InProcessPage.h"
#include "host/Limits.h"
#include "host/PageServer.h"
#include "host/PasswordPrompt.h"
#include "host/ServerOptions.h"
#include "host/SettingsFile.h"
#include "host/UploadFolder.h"
#include "host/Utf8.h"

#include "dbdriver/SqliteSession.h"

#ifndef QUILLOT_SOURCE_APP
#define QUILLOT_SOURCE_APP ""
#endif

namespace {

constexpr int EXIT_USAGE = 2;

// mkdir -p, private to the server's user.
bool makeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder of the running program, for the library folder beside it.
std::string programFolder(const char* argv0)
{
    char path[4096];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::string program = length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string(argv0);
    size_t slash = program.rfind('/');
    return slash == std::string::npos ? "." : program.substr(0, slash);
}

// Every descriptor the system lets the server have: each connection and
// each signed-in visitor's database holds some. The soft limit is often
// far below the hard one.
void raiseDescriptorLimit()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
        std::fprintf(stderr, "quillot-server: cannot raise the descriptor limit\n");
}

// A large request (a body of megabytes, its decoded fields) must leave
// nothing behind once answered. By default the allocator raises its
// threshold for giving blocks their own mapping to the largest block freed
// so far, and then keeps such blocks in its heap; a fixed threshold gives
// every large block back when it is freed.
//
// The small blocks of a request (its page, the trees it reads) fill the top
// of the heap and are all freed at its end. Given back at once, as by
// default above 128 KB, they cost every request a system call that shrinks
// the heap and a flush of the address translations, and the next request
// the page faults that grow it again: a few megabytes stay for the next.
void returnLargeBlocks()
{
    constexpr int LARGE_BLOCK = 256 * 1024;
    constexpr int KEPT_FREE = 4 * 1024 * 1024;
    ::mallopt(M_MMAP_THRESHOLD, LARGE_BLOCK);
    ::mallopt(M_TRIM_THRESHOLD, KEPT_FREE);
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "quillot-server: %s\n", message.c_str());
    return 1;
}

// quillot-server --create NAME: the administrator's password, typed twice,
// then the database; the server does not serve.
int createCompany(host::PageServer& pages, const host::ServerOptions& options)
{
    const std::string& name = options.createDatabase;
    host::CompanyCreation creation(*pages.context(), pages.dataFolder());
    if (creation.exists(name))
        return fail("the data folder " + options.dataFolder + " already holds a database " + name);
    std::string password, again;
    if (!host::PasswordPrompt::read("Password of SYSTEM, the administrator of " + name + ": ", password) ||
        !host::PasswordPrompt::read("The same password again: ", again))
        return fail("no password given");
    if (password.empty())
        return fail("the password is empty");
    if (password != again)
        return fail("the two passwords differ");
    std::string company = options.createCompany.empty() ? name : options.createCompany;
    std::string answer = creation.create(name, company, password, false);
    if (!answer.empty())
        return fail("cannot make the database " + name + ": " + answer);
    std::printf("made the company database %s in %s\nsign in with database \"%s\", user \"SYSTEM\" and that password\n",
                name.c_str(), options.dataFolder.c_str(), name.c_str());
    return 0;
}

// quillot-server --check NAME: the books check of the application's page
// for it, run on that database; each finding on a line of its own. Exits 0
// when the books are right, 1 when anything is off or the check could not
// run.
int checkBooks(host::PageServer& pages, const host::ServerOptions& options)
{
    const std::string& name = options.checkDatabase;
    tessel::Ref<SqliteSession> database = new SqliteSession(pages.dataFolder());
    if (!SqliteSession::isBareName(host::Utf8::decode(name)) || !database->open(host::Utf8::decode(name)))
        return fail("the data folder " + options.dataFolder + " holds no database " + name);
    host::InProcessPage page(*pages.context(), "systemCheck");
    page.setField(u"cmd", u"text");
    std::string answer;
    bool ran = page.run(database, answer);
    database->close();
    if (!ran || answer.rfind("ok:", 0) != 0)
        return fail("cannot check the books of " + name + ": " + answer);
    size_t lineEnd = answer.find('\n');
    std::string count = answer.substr(3, lineEnd == std::string::npos ? std::string::npos : lineEnd - 3);
    if (lineEnd != std::string::npos)
        std::printf("%s\n", answer.substr(lineEnd + 1).c_str());
    if (count == "0") {
        std::printf("the books of %s are right\n", name.c_str());
        return 0;
    }
    std::printf("%s findings in the books of %s\n", count.c_str(), name.c_str());
    return 1;
}

// The first run: a demo company to sign in to. True when it was made now.
bool makeDemo(host::PageServer& pages)
{
    host::CompanyCreation creation(*pages.context(), pages.dataFolder());
    if (!creation.isOffered() || creation.exists(host::CompanyCreation::DEMO_DATABASE))
        return false;
    std::string answer = creation.create(host::CompanyCreation::DEMO_DATABASE, host::CompanyCreation::DEMO_COMPANY,
                                         host::CompanyCreation::DEMO_PASSWORD, true);
    if (answer.empty())
        return true;
    std::fprintf(stderr, "quillot-server: the demo company was not made: %s\n", answer.c_str());
    return false;
}

void tellHowToSignIn(const std::string& address)
{
    std::printf("the demo company is ready: open %s and sign in with database \"%s\", user \"%s\", password \"%s\"\n",
                address.c_str(), host::CompanyCreation::DEMO_DATABASE, host::CompanyCreation::DEMO_USER,
                host::CompanyCreation::DEMO_PASSWORD);
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    raiseDescriptorLimit();
    returnLargeBlocks();

    host::ServerOptions options;
    options.appFolder = host::ServerOptions::defaultAppFolder(QUILLOT_SOURCE_APP);
    options.plugin = host::ServerOptions::defaultPlugin(programFolder(argv[0]));
    std::string error;
    switch (host::ServerOptions::parse(argc, argv, options, error)) {
    case host::ServerOptions::Outcome::Help:
        std::fputs(host::ServerOptions::usage("quillot-server").c_str(), stdout);
        return 0;
    case host::ServerOptions::Outcome::Invalid:
        std::fprintf(stderr, "quillot-server: %s\n%s", error.c_str(),
                     host::ServerOptions::usage("quillot-server").c_str());
        return EXIT_USAGE;
    case host::ServerOptions::Outcome::Run: break;
    }

    if (!isFolder(options.appFolder))
        return fail("no application folder " + options.appFolder);
    if (!makeFolders(options.dataFolder) || !makeFolders(options.dataFolder + "/download"))
        return fail("cannot create the data folder " + options.dataFolder);

    host::Limits limits;
    limits.maxConnections = options.maxConnections;
    if (options.maxBodyBytes > 0)
        limits.maxBodyBytes = options.maxBodyBytes;
    if (options.readSeconds > 0)
        limits.headerSeconds = limits.bodySeconds = options.readSeconds;

    host::UploadFolder uploads(options.dataFolder + "/upload");
    if (!uploads.prepare())
        return fail("cannot create " + uploads.folder());
    host::SettingsFile settings(options.dataFolder + "/settings.ini");
    if (!settings.load())
        return fail("cannot read " + settings.path());

    host::HostWindow window(settings);
    window.offer("signin.failures", std::to_string(options.signinFailures));
    host::PageServer pages(options, window);
    if (!pages.start(error))
        return fail(error);
    if (!options.createDatabase.empty())
        return createCompany(pages, options);
    if (!options.checkDatabase.empty())
        return checkBooks(pages, options);
    bool demoMade = options.demo && makeDemo(pages);
    if (demoMade) {
        // The sign-in form offers the demo company as if it had been the
        // last one signed in to.
        window.setSetting(u"dbname", host::Utf8::decode(host::CompanyCreation::DEMO_DATABASE));
        window.setSetting(u"company", host::Utf8::decode(host::CompanyCreation::DEMO_COMPANY));
    }
    host::Application application(options, pages);

    host::HttpServer server(application, uploads, limits);
    if (!server.listen(options.host, options.port, error))
        return fail(error);
    server.setTimer([&application] { return application.onTimer(); }, host::PageServer::DEFAULT_TIMER_MS);

    // The first line of output is the address; scripts and tests read it.
    std::printf("%s\n", server.address().c_str());
    if (demoMade)
        tellHowToSignIn(server.address());
    std::fflush(stdout);

    server.run();
    pages.stop();
    std::fprintf(stderr, "quillot-server: stopped\n");
    return 0;
}
