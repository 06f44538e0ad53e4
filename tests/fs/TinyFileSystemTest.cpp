// The container as a file system: what callers of IFileSystem see.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/TempFolder.h"
#include "FileSystemTesting.h"
#include "tessel/tessel.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

class TinyFiles : public ::testing::Test {
protected:
    TinyFiles() { EXPECT_TRUE(fs_->initialize(text(file()), true)); }

    std::string file() const { return folder_ / "box.tfs"; }
    void reopen()
    {
        fs_ = new TinyFileSystem();
        ASSERT_TRUE(fs_->initialize(text(file()), false));
    }

    TempFolder folder_;
    Ref<TinyFileSystem> fs_ = new TinyFileSystem();
};

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(TinyOpening, CreatedOnlyWhenAskedHeldForItselfAndDeadOnceClosed)
{
    TempFolder folder;
    TinyFileSystem fs, second;
    EXPECT_FALSE(fs.initialize(text(folder / "box.tfs"), false));
    EXPECT_FALSE(fs.isExists(u"/"));
    ASSERT_TRUE(fs.initialize(text(folder / "box.tfs"), true));
    EXPECT_FALSE(second.initialize(text(folder / "box.tfs"), false)) << "two writers would corrupt it";
    ASSERT_TRUE(writeAll(fs, "/a.txt", "abc"));
    Ref<IInputStream> in;
    ASSERT_TRUE(fs.open(u"/a.txt", in.out()));
    Ref<IOutputStream> out;
    ASSERT_TRUE(fs.open(u"/b.txt", out.out()));
    fs.cleanup();
    char buffer[4];
    EXPECT_EQ(in->read(buffer, 4), -1);
    EXPECT_TRUE(in->isEnd());
    EXPECT_EQ(out->write("x", 1), -1);
    EXPECT_FALSE(fs.createDirectory(u"/a", false));
    TinyFileSystem again(text(folder / "box.tfs"));
    EXPECT_EQ(readAll(again, "/a.txt"), "abc");
}

TEST_F(TinyFiles, WrittenFilesReadBackAfterReopeningAndRewritesReuseBlocks)
{
    std::string big = pattern(3 * 2044 + 17);
    ASSERT_TRUE(writeAll(*fs_, "/empty", ""));
    ASSERT_TRUE(writeAll(*fs_, "/big.bin", big));
    Ref<IOutputStream> out;
    ASSERT_TRUE(fs_->open(u"/small", out.out()));
    std::string data = pattern(5000);
    for (size_t i = 0; i < data.size(); i += 7)
        ASSERT_GT(out->write(data.data() + i, static_cast<int>(std::min<size_t>(7, data.size() - i))), 0);
    out.reset();
    EXPECT_EQ(readAll(*fs_, "/small"), data);
    ASSERT_TRUE(writeAll(*fs_, "/small", "short"));
    EXPECT_EQ(fs_->getFileSize(u"/small"), 5);
    reopen();
    EXPECT_EQ(readAll(*fs_, "/empty"), "");
    EXPECT_EQ(readAll(*fs_, "/small"), "short");
    EXPECT_EQ(readAll(*fs_, "/big.bin"), big);
    EXPECT_EQ(fs_->getFileSize(u"/big.bin"), static_cast<int64_t>(big.size()));
    ASSERT_TRUE(writeAll(*fs_, "/small", pattern(4500)));
    EXPECT_EQ(readAll(*fs_, "/small"), pattern(4500));
    EXPECT_EQ(TempFolder::read(file()).size(), 8u * 2048) << "the blocks were reused";
}

TEST_F(TinyFiles, StreamsSeekAndOverwriteAcrossBlocks)
{
    std::string data = pattern(4100);
    ASSERT_TRUE(writeAll(*fs_, "/f", data));
    Ref<IInputStream> in;
    ASSERT_TRUE(fs_->open(u"/f", in.out()));
    ISeekable* seek = in->getSeekable();
    ASSERT_NE(seek, nullptr);
    EXPECT_EQ(in->available(), 4100);
    EXPECT_EQ(seek->moveTo(2040), 2040);
    char buffer[10];
    ASSERT_EQ(in->read(buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), data.substr(2040, 10)) << "across the block boundary";
    EXPECT_EQ(seek->moveBy(-50), 2000);
    EXPECT_EQ(seek->moveTo(99999), 4100) << "beyond the end lands on it";
    EXPECT_EQ(in->read(buffer, 10), 0);
    EXPECT_EQ(seek->moveBy(INT64_MIN), 0);
    in.reset();

    Ref<IOutputStream> out;
    ASSERT_TRUE(fs_->open(u"/g", out.out()));
    ASSERT_EQ(out->write(data.data(), 3000), 3000);
    ASSERT_EQ(out->getSeekable()->moveTo(2042), 2042);
    ASSERT_EQ(out->write("XYZW", 4), 4);
    ASSERT_EQ(out->getSeekable()->moveToEnd(), 3000);
    ASSERT_EQ(out->write("!", 1), 1);
    out.reset();
    EXPECT_EQ(readAll(*fs_, "/g"), data.substr(0, 2042) + "XYZW" + data.substr(2046, 954) + "!");
}

TEST_F(TinyFiles, FilesNeedAnExistingDirectoryAndReadOnlyFilesKeepTheirContent)
{
    EXPECT_FALSE(writeAll(*fs_, "/no/such.txt", "x"));
    ASSERT_TRUE(fs_->createDirectory(u"/no", false));
    EXPECT_TRUE(writeAll(*fs_, "/no/such.txt", "x"));
    EXPECT_FALSE(writeAll(*fs_, "/no", "x")) << "a directory is no file";
    EXPECT_EQ(readAll(*fs_, "/no"), "<missing>");
    Ref<IFileStream> stream;
    EXPECT_FALSE(fs_->open(u"/no/such.txt", stream.out(), IFileStream::OPEN_READ));

    ASSERT_TRUE(writeAll(*fs_, "/f", "keep"));
    fs_->setReadOnly(u"/f", true);
    EXPECT_EQ(fs_->getFileAttribute(u"/f"), IFileSystem::ATTR_FILE | IFileSystem::ATTR_READONLY);
    EXPECT_FALSE(fs_->isWriteable(u"/f"));
    EXPECT_FALSE(writeAll(*fs_, "/f", "lost"));
    EXPECT_FALSE(fs_->copyFile(u"/no/such.txt", u"/f", true));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/f"), "keep");
    fs_->setReadOnly(u"/f", false);
    EXPECT_TRUE(writeAll(*fs_, "/f", "new"));
}

TEST_F(TinyFiles, PathsResolveAgainstTheCurrentDirectoryAndStayBelowTheLimit)
{
    ASSERT_TRUE(fs_->createDirectory(u"/docs/old", true));
    EXPECT_FALSE(fs_->setCurrentDirectory(u"/nowhere"));
    ASSERT_TRUE(fs_->setCurrentDirectory(u"/docs/"));
    EXPECT_EQ(fs_->getCurrentDirectory(), String(u"/docs"));
    ASSERT_TRUE(writeAll(*fs_, "a.htm", "A"));
    for (const char* path : {"/docs/a.htm", "old/../a.htm", "..\\docs\\.\\a.htm", "//docs///a.htm"})
        EXPECT_EQ(readAll(*fs_, path), "A") << path;
    String real;
    EXPECT_TRUE(fs_->getRealPath(u"old/../../../x", real));
    EXPECT_EQ(real, String(u"/x")) << "never above the root";

    std::string longest = "/" + std::string(233, 'p'); // 234 bytes
    EXPECT_TRUE(writeAll(*fs_, longest, "x"));
    EXPECT_FALSE(writeAll(*fs_, longest + "q", "x"));
    std::u16string chinese(78, u'\u4e2d'); // 234 UTF-8 bytes with the "/"
    EXPECT_FALSE(fs_->createDirectory(String(u"/") + chinese.c_str() + u"x", false));
    EXPECT_TRUE(fs_->createDirectory(String(u"/") + String(chinese.c_str(), 77), false));
    EXPECT_FALSE(fs_->createDirectory(u"", false));
}

TEST_F(TinyFiles, MovingADirectoryTakesItsEntriesAlong)
{
    ASSERT_TRUE(fs_->createDirectory(u"/src/deep/er", true));
    ASSERT_TRUE(writeAll(*fs_, "/src/a", "A"));
    ASSERT_TRUE(writeAll(*fs_, "/src/deep/er/b", "B"));
    ASSERT_TRUE(writeAll(*fs_, "/srcfile", "not below"));
    ASSERT_TRUE(fs_->moveFile(u"/src", u"/a-much-longer-destination", false));
    reopen();
    EXPECT_EQ(sorted(listed(*fs_, "/")),
              (std::vector<std::string>{"/a-much-longer-destination", "/a-much-longer-destination/a",
                                        "/a-much-longer-destination/deep", "/a-much-longer-destination/deep/er",
                                        "/a-much-longer-destination/deep/er/b", "/srcfile"}));
    EXPECT_EQ(readAll(*fs_, "/a-much-longer-destination/deep/er/b"), "B");
}

TEST_F(TinyFiles, DirectoriesAreNeverMovedIntoThemselvesReplacedOrOrphaned)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d/sub", true));
    ASSERT_TRUE(fs_->createDirectory(u"/other", false));
    ASSERT_TRUE(writeAll(*fs_, "/other/keep", "K"));
    ASSERT_TRUE(writeAll(*fs_, "/f", "F"));
    std::string inner = "/d/" + std::string(200, 'n');
    ASSERT_TRUE(writeAll(*fs_, inner, "x"));
    EXPECT_FALSE(fs_->moveFile(u"/d", u"/d/sub/d", false));
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/other", true)) << "its entries would be orphaned";
    EXPECT_FALSE(fs_->moveFile(u"/d", text("/" + std::string(40, 'm')), false)) << "an entry would grow too long";
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/missing/f", false));
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/f", true));
    EXPECT_FALSE(fs_->moveFile(u"/", u"/x", false));
    EXPECT_EQ(readAll(*fs_, "/other/keep"), "K");
    EXPECT_EQ(readAll(*fs_, "/f"), "F");
    EXPECT_EQ(readAll(*fs_, inner), "x");
    EXPECT_TRUE(fs_->isDirectory(u"/d/sub"));
}

TEST_F(TinyFiles, CopyingMakesASecondFileButNeverOntoItself)
{
    std::string data = pattern(4500);
    ASSERT_TRUE(writeAll(*fs_, "/a", data));
    ASSERT_TRUE(writeAll(*fs_, "/b", "B"));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/b", false));
    EXPECT_EQ(readAll(*fs_, "/b"), "B");
    EXPECT_TRUE(fs_->copyFile(u"/a", u"/b", true));
    ASSERT_TRUE(writeAll(*fs_, "/a", "changed"));
    ASSERT_TRUE(fs_->createDirectory(u"/d", false));
    EXPECT_FALSE(fs_->copyFile(u"/d", u"/e", true)) << "directories are not copied";
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/d", true));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/nodir/a", true));
    EXPECT_FALSE(fs_->copyFile(u"/b", u"/b", true));
    EXPECT_FALSE(fs_->copyFile(u"/b", u"/./b", true));
    ASSERT_TRUE(fs_->setCurrentDirectory(u"/"));
    EXPECT_FALSE(fs_->copyFile(u"b", u"/b", true));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/b"), data);
    EXPECT_EQ(readAll(*fs_, "/a"), "changed");
}
