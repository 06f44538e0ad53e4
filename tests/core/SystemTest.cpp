// Process services (environment, system names and paths, temporary files,
// random numbers, clock and zone, the property table), loading modules at
// run time, and the recursive lock.

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

#include "TestSupport.h"

using namespace tessel;

namespace {

class Thing : public IObject {};

String path(const char* file) { return String::fromUTF8(file); }

bool fileExists(const String& name, off_t* size = nullptr)
{
    struct stat info;
    if (::stat(name.toStdString().c_str(), &info) != 0)
        return false;
    if (size)
        *size = info.st_size;
    return true;
}

// Sets TZ for one test and puts the old value back.
class ZoneOverride {
public:
    explicit ZoneOverride(const char* zone)
    {
        const char* old = std::getenv("TZ");
        hadZone_ = old != nullptr;
        if (old)
            saved_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneOverride()
    {
        if (hadZone_)
            ::setenv("TZ", saved_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool hadZone_ = false;
    std::string saved_;
};

} // namespace

TEST(SystemEnvironment, GetSetAndRemove)
{
    const String name(u"TESSEL_TEST_VARIABLE");
    System::setEnv(name, String());
    EXPECT_FALSE(System::hasEnv(name));
    EXPECT_EQ(System::getEnv(name, String(u"x")), u"x");
    EXPECT_EQ(System::getEnv(name), u"");

    System::setEnv(name, String(u"1"));
    EXPECT_TRUE(System::hasEnv(name));
    EXPECT_EQ(System::getEnv(name, String(u"x")), u"1");
    System::setEnv(name, String(u"中文值"));
    EXPECT_EQ(System::getEnv(name), u"中文值");
    EXPECT_STREQ(std::getenv("TESSEL_TEST_VARIABLE"), "\xE4\xB8\xAD\xE6\x96\x87\xE5\x80\xBC");

    System::setEnv(name, String(u"", 0));
    EXPECT_TRUE(System::hasEnv(name)) << "an empty value is still a value";
    EXPECT_EQ(System::getEnv(name, String(u"x")), u"");
    System::setEnv(name, String());
    EXPECT_FALSE(System::hasEnv(name)) << "a value without buffer removes the variable";

    EXPECT_EQ(System::getEnv(String(), String(u"default")), u"");
    EXPECT_FALSE(System::hasEnv(String()));
    System::setEnv(String(), String(u"ignored"));
}

TEST(SystemInformation, NamesPathsAndIds)
{
    System& system = System::getInstance();
    EXPECT_EQ(&system, &System::getInstance());
    EXPECT_EQ(system.AddRef(), 1u);
    EXPECT_EQ(system.Release(), 1u);
    EXPECT_EQ(System::getCharset(), 65002);
    System::setCharset(936);
    EXPECT_EQ(System::getCharset(), 65002);

    EXPECT_FALSE(System::getOSName().empty());
    String version = System::getOSVersion();
    int major = -1, minor = -1, build = -1;
    EXPECT_EQ(std::sscanf(version.toStdString().c_str(), "%d.%d (Build %d): ", &major, &minor, &build), 3)
        << version.toStdString();
    EXPECT_GE(major, 1);
    EXPECT_GE(build, 0);
    EXPECT_GE(version.indexOf(u": "), 0);
    String node = System::getOSNodeName();
    EXPECT_FALSE(node.empty());
    EXPECT_LE(node.size(), 15);

    EXPECT_EQ(System::getExePath(), path(TEST_BINARY_DIR "/bin"));
    EXPECT_EQ(System::getProcessId(), static_cast<int>(::getpid()));
    EXPECT_LE(std::abs(System::currentTime() - static_cast<int64_t>(std::time(nullptr))), 1);
}

TEST(SystemInformation, ZoneInWholeHoursEast)
{
    {
        ZoneOverride zone("Asia/Shanghai");
        EXPECT_EQ(System::currentZone(), 8);
    }
    {
        ZoneOverride zone("UTC0");
        EXPECT_EQ(System::currentZone(), 0);
    }
    {
        ZoneOverride zone("EST5");
        EXPECT_EQ(System::currentZone(), -5);
    }
    {
        ZoneOverride zone("IST-5:30");
        EXPECT_EQ(System::currentZone(), 5) << "whole hours";
    }
}

TEST(SystemTemporaryFiles, UniqueEmptyFilesInTheGivenOrTemporaryDirectory)
{
    String temp = System::getTempPath();
    ASSERT_FALSE(temp.empty());
    EXPECT_TRUE(temp.endsWith(u"/"));

    String first = System::getTempFileName();
    String second = System::getTempFileName(String());
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(first.startsWith(temp));
    off_t size = -1;
    EXPECT_TRUE(fileExists(first, &size));
    EXPECT_EQ(size, 0);

    String dir = path(TEST_BINARY_DIR);
    String inDir = System::getTempFileName(dir);
    EXPECT_TRUE(inDir.startsWith(dir + u"/"));
    EXPECT_TRUE(fileExists(inDir));
    String withSlash = System::getTempFileName(dir + u"/");
    EXPECT_EQ(withSlash.indexOf(u"//"), -1);

    EXPECT_EQ(System::getTempFileName(String(u"/nonexistent-tessel-dir")), u"") << "failure gives an empty name";
    for (const String* name : {&first, &second, &inDir, &withSlash})
        std::remove(name->toStdString().c_str());
}

TEST(SystemRandom, NumbersStayBelowTheBound)
{
    System::randomize();
    bool seen[6] = {};
    for (int i = 0; i < 600; i++) {
        int n = System::random(6);
        ASSERT_GE(n, 0);
        ASSERT_LT(n, 6);
        seen[n] = true;
    }
    for (bool face : seen)
        EXPECT_TRUE(face);
    EXPECT_EQ(System::random(1), 0);
    EXPECT_EQ(System::random(0), 0) << "a caller error, answered safely";
}

TEST(SystemConsole, PrintfWritesUtf8ToStandardOutput)
{
    testing::internal::CaptureStdout();
    System::printf(u"%s=%d;%0.2f\n", u"数量", 5, 2.5);
    System::printf(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "\xE6\x95\xB0\xE9\x87\x8F=5;2.50\n");
}

TEST(SystemProperties, TableHoldsOneReferencePerEntry)
{
    const String key(u"tessel.test.property");
    EXPECT_EQ(System::getProperty(key), nullptr);

    Ref<Thing> first(new Thing()), second(new Thing());
    System::setProperty(key, first);
    EXPECT_EQ(System::getProperty(key), first.get());
    EXPECT_EQ(first->refCount(), 2u) << "the table took a reference";
    EXPECT_EQ(System::getProperty(key), first.get()) << "no reference added by reading";
    EXPECT_EQ(first->refCount(), 2u);

    System::setProperty(key, second);
    EXPECT_EQ(first->refCount(), 1u) << "the replaced object is released once";
    EXPECT_EQ(second->refCount(), 2u);
    EXPECT_EQ(System::getProperty(key), second.get());

    System::setProperty(key, nullptr);
    EXPECT_EQ(second->refCount(), 1u);
    EXPECT_EQ(System::getProperty(key), nullptr);

    System::setProperty(String(), first);
    EXPECT_EQ(first->refCount(), 1u);
    EXPECT_EQ(System::getProperty(String()), nullptr);
}

TEST(LibraryLoading, AMissingFileFailsQuietly)
{
    Library missing(u"/nonexistent/libtessel-missing.so");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.getHandle(), nullptr);
    EXPECT_EQ(missing.getSymbol("CreateObject"), nullptr);
    EXPECT_EQ(missing.getObject(u"greeting"), nullptr);
    EXPECT_FALSE(missing.getLastError().empty());

    Library closed;
    EXPECT_FALSE(closed);
    EXPECT_FALSE(closed.open(nullptr));
    EXPECT_FALSE(closed.open(u""));
    EXPECT_EQ(closed.getSymbol("anything"), nullptr);
    Library fromEmpty(u"");
    EXPECT_FALSE(fromEmpty);
}

TEST(LibraryLoading, AModuleWithCreateObjectMakesObjects)
{
    String file = path(TEST_GREETING_PLUGIN);
    Library plugin;
    ASSERT_TRUE(plugin.open(file.c_str())) << plugin.getLastError().toStdString();
    EXPECT_TRUE(plugin);
    EXPECT_NE(plugin.getHandle(), nullptr);
    EXPECT_NE(plugin.getSymbol("CreateObject"), nullptr);
    EXPECT_EQ(plugin.getSymbol("noSuchExport"), nullptr);
    EXPECT_EQ(plugin.getSymbol(nullptr), nullptr);
    auto version = reinterpret_cast<int (*)()>(plugin.getSymbol("pluginVersion"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 3);

    {
        Ref<IObject> made(plugin.getObject(u"greeting"));
        ASSERT_TRUE(made);
        auto* text = dynamic_cast<String*>(made.get());
        ASSERT_NE(text, nullptr) << "framework types cross the module boundary";
        EXPECT_EQ(*text, u"你好 from the plug-in");
        EXPECT_EQ(plugin.getObject(u"other"), nullptr);
    } // released while the module is still loaded

    plugin.close();
    EXPECT_FALSE(plugin);
    EXPECT_EQ(plugin.getSymbol("pluginVersion"), nullptr);
    EXPECT_EQ(plugin.getObject(u"greeting"), nullptr);

    Library reopened(file.c_str());
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(reopened.open(path(TEST_PLAIN_PLUGIN).c_str())) << "open closes the previous module first";
    EXPECT_EQ(reopened.getObject(u"greeting"), nullptr);
}

TEST(LibraryLoading, AModuleWithoutCreateObjectMakesNothing)
{
    Library plain(path(TEST_PLAIN_PLUGIN).c_str());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain.getObject(u"greeting"), nullptr);
    auto answer = reinterpret_cast<int (*)()>(plain.getSymbol("plainAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
}

TEST(LibraryLoading, AdoptingAHandleOpenedElsewhere)
{
    Library owner(path(TEST_GREETING_PLUGIN).c_str());
    ASSERT_TRUE(owner);
    Library adopter;
    adopter = ::dlopen(TEST_GREETING_PLUGIN, RTLD_NOW); // one more reference on the module
    ASSERT_TRUE(adopter);
    EXPECT_EQ(adopter.getHandle(), owner.getHandle()) << "the loader hands out one handle per module";
    EXPECT_NE(adopter.getSymbol("pluginVersion"), nullptr);
    EXPECT_EQ(adopter.getObject(u"greeting"), nullptr) << "CreateObject is not looked up again";
    adopter = adopter.getHandle();
    EXPECT_TRUE(adopter) << "the same handle is kept, not closed";
    EXPECT_NE(adopter.getSymbol("pluginVersion"), nullptr);
}

TEST(MutexLock, RecursiveForTheOwnerAndExclusiveForOthers)
{
    Mutex mutex;
    mutex.enter();
    mutex.enter();
    EXPECT_TRUE(mutex.tryenter()) << "the owner may enter again";

    bool takenElsewhere = true;
    std::thread([&] { takenElsewhere = mutex.tryenter(); }).join();
    EXPECT_FALSE(takenElsewhere) << "tryenter reports success only when it took the lock";

    mutex.leave();
    mutex.leave();
    std::thread([&] { takenElsewhere = mutex.tryenter(); }).join();
    EXPECT_FALSE(takenElsewhere) << "still held once";

    mutex.leave();
    std::thread([&] {
        takenElsewhere = mutex.tryenter();
        if (takenElsewhere)
            mutex.leave();
    }).join();
    EXPECT_TRUE(takenElsewhere);
}

TEST(MutexLock, EnterSerialisesThreads)
{
    Ref<Mutex> mutex(new Mutex());
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; i++) {
            mutex->enter();
            mutex->enter();
            counter++;
            mutex->leave();
            mutex->leave();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}
