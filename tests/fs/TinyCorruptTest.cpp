// Containers that were cut short, overwritten or never were containers:
// refused, or walked safely, never a crash, an endless loop or a read
// outside the file.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "support/TempFolder.h"
#include "FileSystemTesting.h"
#include "tessel/tessel.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

constexpr uint32_t BLOCK = TinyContainer::BLOCK_BYTES;
constexpr uint32_t OWN_HASH = ContainerImage::HASH_OF_PATH;

class TinyCorrupt : public ::testing::Test {
protected:
    std::string file() const { return folder_ / name_; }
    // Each image goes to a new file: rewriting one file over and over is
    // slow on some file systems.
    bool open(const std::string& bytes)
    {
        fs_.cleanup();
        std::remove(file().c_str());
        name_ = "box" + std::to_string(++images_) + ".tfs";
        folder_.write(name_, bytes);
        return fs_.initialize(text(file()), false);
    }
    bool reopen()
    {
        fs_.cleanup();
        return fs_.initialize(text(file()), false);
    }

    TempFolder folder_;
    TinyFileSystem fs_;
    std::string name_ = "box.tfs";
    int images_ = 0;
};

// Every file of the container with its content, read through the file
// system.
std::map<std::string, std::string> contents(TinyFileSystem& fs)
{
    std::map<std::string, std::string> all;
    for (const std::string& name : listed(fs, "/"))
        all[name] = fs.isDirectory(text(name)) ? "<dir>" : readAll(fs, name);
    return all;
}

} // namespace

TEST_F(TinyCorrupt, ACutContainerIsRefusedOrReadAsAPrefix)
{
    TinyFileSystem maker;
    ASSERT_TRUE(maker.initialize(text(folder_ / "whole.tfs"), true));
    ASSERT_TRUE(maker.createDirectory(u"/dir", false));
    ASSERT_TRUE(writeAll(maker, "/dir/a-longer-file-name.txt", pattern(2500)));
    ASSERT_TRUE(writeAll(maker, "/b", "bee"));
    std::map<std::string, std::string> whole = contents(maker);
    maker.cleanup();
    std::string image = TempFolder::read(folder_ / "whole.tfs");
    ASSERT_EQ(image.size(), 4u * BLOCK);

    for (size_t cut = 0; cut <= image.size(); cut++) {
        SCOPED_TRACE(cut);
        bool opened = open(image.substr(0, cut));
        // Nothing can be refused at 0 bytes (an empty container) nor once
        // the first record is whole.
        if (cut == 0 || cut >= 32) {
            ASSERT_TRUE(opened);
        }
        if (!opened)
            continue;
        for (const auto& [name, content] : contents(fs_)) {
            ASSERT_EQ(whole.count(name), 1u) << name;
            EXPECT_EQ(whole[name].compare(0, content.size(), content), 0) << name << " is a prefix";
        }
    }
}

TEST_F(TinyCorrupt, ANonEmptyFileWithoutARecordIsNoContainer)
{
    std::string text = "This is a letter, not a container.\n";
    EXPECT_FALSE(open(std::string(4096, '\0'))) << "a record of 16 bytes cannot hold a path";
    EXPECT_FALSE(open(std::string(5, '\x01')));
    ASSERT_FALSE(open(text));
    EXPECT_EQ(TempFolder::read(file()), text) << "left as it was";
}

TEST_F(TinyCorrupt, BrokenRecordChainsEndTheWalkAndSkipWhatNoNameLeadsTo)
{
    struct Case {
        const char* what;
        ContainerImage image;
        std::vector<std::string> listed;
    } cases[] = {
        {"a link backwards", ContainerImage().record(0, "/a", 32).record(32, "/b", 16), {"/a", "/b"}},
        {"a link beyond the file", ContainerImage().record(0, "/a", 0x7FFFFFF0u), {"/a"}},
        {"a record across the block end",
         ContainerImage().record(0, "/a", BLOCK - 16).record(BLOCK - 16, "/x", 0, 0, 0, OWN_HASH, 32),
         {"/a"}},
        {"a relative path", ContainerImage().record(0, "/a", 32).record(32, "no-slash", 0), {"/a"}},
        {"a path without room for its NUL",
         ContainerImage().record(0, "/abcdefghijk", 0, 0, 0, OWN_HASH, 32),
         {"/abcdefghij"}},
        {"a stored hash that does not match", ContainerImage().record(0, "/a", 0, 0, 0, 12345), {"/a"}},
        {"paths no name leads to",
         ContainerImage()
             .record(0, "/dir/", 32)
             .record(32, "/a//b", 64)
             .record(64, "/x\x91\x82y", 96)
             .record(96, "/a/../b", 144)
             .record(144, "/kept", 0),
         {"/kept"}},
    };
    for (Case& c : cases) {
        ASSERT_TRUE(open(c.image.bytes)) << c.what;
        EXPECT_EQ(listed(fs_, "/"), c.listed) << c.what;
        for (const std::string& name : c.listed)
            EXPECT_TRUE(fs_.isFile(text(name))) << c.what;
    }
    EXPECT_FALSE(fs_.isExists(u"/dir"));
    EXPECT_FALSE(fs_.isExists(u"/a/b"));

    ASSERT_TRUE(open(cases[0].image.bytes));
    ASSERT_TRUE(fs_.createDirectory(u"/c", false));
    ASSERT_TRUE(reopen());
    EXPECT_EQ(listed(fs_, "/"), (std::vector<std::string>{"/a", "/b", "/c"})) << "the loop was cut";
}

TEST_F(TinyCorrupt, ADataLoopEndsTheDataAndWritingOverItMendsIt)
{
    ContainerImage image;
    image.record(0, "/f", 0, BLOCK / 256, 100000)
        .block(BLOCK, 2 * BLOCK + 2044, pattern(2044))
        .block(2 * BLOCK, BLOCK + 2044, pattern(2044)); // back to the first
    ASSERT_TRUE(open(image.bytes));
    EXPECT_EQ(readAll(fs_, "/f"), pattern(2044) + pattern(2044));
    // A reader that waits for more data while the stream is not at its end
    // must not wait for ever.
    Ref<IInputStream> in;
    ASSERT_TRUE(fs_.open(u"/f", in.out()));
    EXPECT_EQ(in->available(), 2 * 2044);
    TextReader reader(in, 65001);
    String all;
    EXPECT_EQ(reader.read(all), 2 * 2044);
    EXPECT_TRUE(in->isEnd());
    in.reset();

    std::string data = pattern(7000);
    ASSERT_TRUE(writeAll(fs_, "/f", data));
    ASSERT_TRUE(reopen());
    EXPECT_EQ(readAll(fs_, "/f"), data);
    std::string bytes = TempFolder::read(file());
    EXPECT_EQ(word(bytes, 2 * BLOCK) & ~(BLOCK - 1), 3 * BLOCK) << "the loop became a link forward";
}

TEST_F(TinyCorrupt, DataNeverComesFromTheRecordBlocks)
{
    ContainerImage image;
    // /f claims the block that holds the record of /g as its data.
    image.record(0, "/f", 2 * BLOCK, (2 * BLOCK) / 256, 50)
        .block(BLOCK, 2044, pattern(2044))
        .record(2 * BLOCK, "/g", 0, BLOCK / 256, 3000);
    ASSERT_TRUE(open(image.bytes));
    EXPECT_EQ(readAll(fs_, "/f"), "");
    EXPECT_EQ(readAll(fs_, "/g"), pattern(2044)) << "the size claims more than the chain holds";

    ContainerImage intoRecords;
    intoRecords.record(0, "/g", 2 * BLOCK, BLOCK / 256, 3000)
        .block(BLOCK, 2 * BLOCK + 2044, pattern(2044)) // next: the block of /h
        .record(2 * BLOCK, "/h", 0);
    ASSERT_TRUE(open(intoRecords.bytes));
    EXPECT_EQ(readAll(fs_, "/g"), pattern(2044));
    ASSERT_TRUE(writeAll(fs_, "/g", pattern(4000)));
    ASSERT_TRUE(reopen());
    EXPECT_EQ(readAll(fs_, "/g"), pattern(4000));
    EXPECT_TRUE(fs_.isFile(u"/h")) << "the record of /h was not written over";
}

TEST_F(TinyCorrupt, UsedCountsAboveTheBlockAndCutLastBlocksReadWhatIsThere)
{
    ContainerImage image;
    image.record(0, "/f", 0, BLOCK / 256, 5000).block(BLOCK, 2047, pattern(2044));
    ASSERT_TRUE(open(image.bytes));
    EXPECT_EQ(readAll(fs_, "/f"), pattern(2044));

    ContainerImage cut;
    cut.record(0, "/f", 0, BLOCK / 256, 1000).block(BLOCK, 1000, pattern(1000));
    ASSERT_TRUE(open(cut.bytes.substr(0, BLOCK + 4 + 600)));
    Ref<IInputStream> in;
    ASSERT_TRUE(fs_.open(u"/f", in.out()));
    char buffer[2000];
    EXPECT_EQ(in->read(buffer, 2000), 600);
    EXPECT_TRUE(in->isEnd());
    EXPECT_EQ(in->available(), 0);
}

TEST_F(TinyCorrupt, NamesUtf8CannotCarryAreRefused)
{
    ASSERT_TRUE(open(""));
    const char16_t lone[] = {u'/', u'a', 0xD800, 0};
    Ref<IOutputStream> out;
    EXPECT_FALSE(fs_.open(String(lone), out.out()));
    EXPECT_FALSE(fs_.createDirectory(String(lone), false));
    EXPECT_TRUE(listed(fs_, "/").empty());
}
