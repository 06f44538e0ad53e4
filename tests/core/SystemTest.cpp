// Process services (the property table), loading modules at run time,
// and the recursive lock.

#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"

using namespace tessel;

namespace {

class Thing : public IObject {};

String path(const char* file)
{
    return String::fromUTF8(file);
}

} // namespace

TEST(SystemProperties, TableHoldsOneReferencePerEntry)
{
    const String key(u"tessel.test.property");
    EXPECT_EQ(System::getProperty(key), nullptr);

    Ref<Thing> first(new Thing()), second(new Thing());
    System::setProperty(key, first);
    EXPECT_EQ(first->refCount(), 2u) << "the table took a reference";
    EXPECT_EQ(System::getProperty(key), first.get()) << "no reference added by reading";
    EXPECT_EQ(first->refCount(), 2u);

    System::setProperty(key, second);
    EXPECT_EQ(first->refCount(), 1u) << "the replaced object is released once";
    EXPECT_EQ(second->refCount(), 2u);

    System::setProperty(key, nullptr);
    EXPECT_EQ(second->refCount(), 1u);

    System::setProperty(String(), first);
    EXPECT_EQ(first->refCount(), 1u);
    EXPECT_EQ(System::getProperty(String()), nullptr);
}

TEST(LibraryLoading, AMissingFileFailsQuietly)
{
    Library missing(u"/nonexistent/libtessel-missing.so");
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.getObject(u"greeting"), nullptr);
    EXPECT_FALSE(missing.getLastError().empty());

    Library closed;
    EXPECT_FALSE(closed);
    EXPECT_FALSE(closed.open(nullptr));
    EXPECT_FALSE(closed.open(u""));
    Library fromEmpty(u"");
    EXPECT_FALSE(fromEmpty);
}

TEST(LibraryLoading, AModuleWithCreateObjectMakesObjects)
{
    String file = path(TEST_GREETING_PLUGIN);
    Library plugin;
    ASSERT_TRUE(plugin.open(file.c_str())) << plugin.getLastError().toStdString();
    EXPECT_NE(plugin.getSymbol("CreateObject"), nullptr);
    EXPECT_EQ(plugin.getSymbol("noSuchExport"), nullptr);
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
