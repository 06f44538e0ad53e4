#include "tessel/core/System.h"

#include <dlfcn.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "tessel/core/Formatter.h"

namespace tessel {

namespace {

class SystemInstance : public System {
public:
    SystemInstance() = default;
};

std::map<String, Ref<IObject>>& properties()
{
    static std::map<String, Ref<IObject>> table;
    return table;
}

std::string narrow(const String& text)
{
    return text.toStdString();
}

// PRETTY_NAME of /etc/os-release, the distribution's own name for itself.
std::string distributionName()
{
    std::ifstream file("/etc/os-release");
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0)
            continue;
        std::string value = line.substr(12);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
            value = value.substr(1, value.size() - 2);
        return value;
    }
    return {};
}

std::string directoryOf(const std::string& path)
{
    std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

System& System::getInstance()
{
    static SystemInstance instance;
    return instance;
}

String System::getEnv(const String& name, const String& defaultValue)
{
    if (name.empty())
        return String();
    const char* value = std::getenv(narrow(name).c_str());
    return value ? String::fromUTF8(value) : String(defaultValue);
}

bool System::hasEnv(const String& name)
{
    return !name.empty() && std::getenv(narrow(name).c_str()) != nullptr;
}

void System::setEnv(const String& name, const String& value)
{
    if (name.empty())
        return;
    if (!value.toUnicode())
        ::unsetenv(narrow(name).c_str());
    else
        ::setenv(narrow(name).c_str(), narrow(value).c_str(), 1);
}

String System::getOSName()
{
    struct utsname info;
    if (::uname(&info) != 0)
        return String(u"Unknown");
    std::string name = info.sysname;
    std::string distribution = distributionName();
    if (!distribution.empty())
        name += " (" + distribution + ")";
    return String::fromUTF8(name);
}

String System::getOSVersion()
{
    struct utsname info;
    if (::uname(&info) != 0)
        return String();
    int major = 0, minor = 0, patch = 0;
    std::sscanf(info.release, "%d.%d.%d", &major, &minor, &patch);
    String text;
    text.format(u"%d.%d (Build %d)", major, minor, patch & 0xFFFF);
    text.append(u": ");
    text.append(String::fromUTF8(info.release));
    return text;
}

String System::getOSNodeName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return String();
    String text = String::fromUTF8(name);
    return text.size() > 15 ? text.substr(0, 15) : text;
}

String System::getExePath()
{
    char path[4096];
    ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return String();
    path[n] = 0;
    return String::fromUTF8(directoryOf(path));
}

String System::getTempPath()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    if (path.back() != '/')
        path += '/';
    return String::fromUTF8(path);
}

String System::getTempFileName(const String& dir)
{
    std::string base = dir.empty() ? narrow(getTempPath()) : narrow(dir);
    if (base.empty() || base.back() != '/')
        base += '/';
    std::string pattern = base + "tesXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return String();
    ::close(fd);
    return String::fromUTF8(pattern);
}

void System::randomize()
{
    auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
                     .count();
    std::srand(static_cast<unsigned>(ticks) + static_cast<unsigned>(::getpid()));
}

int System::random(int n)
{
    return n > 0 ? std::rand() % n : 0;
}

int64_t System::currentTime()
{
    return static_cast<int64_t>(std::time(nullptr));
}

int System::currentZone()
{
    std::time_t now = std::time(nullptr);
    struct tm local;
    if (!::localtime_r(&now, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 3600);
}

void System::sleep(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int System::getProcessId()
{
    return static_cast<int>(::getpid());
}

void System::printf(const char16_t* format, ...)
{
    std::u16string text;
    va_list args;
    va_start(args, format);
    Formatter::append(text, format, args);
    va_end(args);
    std::string bytes = String(text.c_str(), static_cast<int>(text.size())).toStdString();
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

IObject* System::getProperty(const String& name)
{
    if (name.empty())
        return nullptr;
    return properties()[name].get();
}

void System::setProperty(const String& name, IObject* object)
{
    if (name.empty())
        return;
    properties()[name] = object;
}

} // namespace tessel
