// The container as a file system: what callers of IFileSystem see.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../core/TempFolder.h"
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

// Anything that takes a file system: here, a page count over its folder.
int countPages(IFileSystem& fs, const String& folder)
{
    Array<IFileSystem::FileEntry> entries;
    fs.listDirectory(folder, entries);
    int pages = 0;
    for (int i = 0; i < entries.size(); i++)
        if (!entries[i]->isDirectory() && entries[i]->name.endsWith(u".htm"))
            pages++;
    return pages;
}

} // namespace

// ------------------------------------------------------------- opening

TEST(TinyOpening, AMissingContainerIsCreatedOnlyWhenAsked)
{
    TempFolder folder;
    TinyFileSystem fs;
    EXPECT_FALSE(fs.initialize(text(folder / "none.tfs"), false));
    EXPECT_FALSE(fs.isConnected());
    EXPECT_FALSE(fs.isExists(u"/"));
    EXPECT_TRUE(fs.initialize(text(folder / "none.tfs"), true));
    EXPECT_TRUE(fs.isConnected());
    EXPECT_TRUE(fs.connect(String(), nullptr)) << "nothing to do";
    fs.close();
    EXPECT_FALSE(fs.isConnected());
    EXPECT_FALSE(fs.createDirectory(u"/a", false));
}

TEST(TinyOpening, TheConstructorOpensAnExistingContainer)
{
    TempFolder folder;
    {
        TinyFileSystem fs;
        ASSERT_TRUE(fs.initialize(text(folder / "box.tfs"), true));
        ASSERT_TRUE(writeAll(fs, "/a.txt", "A"));
    }
    TinyFileSystem fs(text(folder / "box.tfs"));
    EXPECT_EQ(readAll(fs, "/a.txt"), "A");
    EXPECT_FALSE(fs.setProperty(u"path", u"x"));
}

TEST(TinyOpening, AnOpenContainerIsHeldForItself)
{
    TempFolder folder;
    TinyFileSystem first, second;
    ASSERT_TRUE(first.initialize(text(folder / "box.tfs"), true));
    EXPECT_FALSE(second.initialize(text(folder / "box.tfs"), false)) << "two writers would corrupt it";
    first.cleanup();
    EXPECT_TRUE(second.initialize(text(folder / "box.tfs"), false));
}

TEST(TinyOpening, StreamsFailOnceTheContainerIsClosed)
{
    TempFolder folder;
    TinyFileSystem fs;
    ASSERT_TRUE(fs.initialize(text(folder / "box.tfs"), true));
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
}

// --------------------------------------------------------------- files

TEST_F(TinyFiles, WrittenFilesReadBackAfterReopening)
{
    std::string big = pattern(3 * 2044 + 17);
    ASSERT_TRUE(writeAll(*fs_, "/empty", ""));
    ASSERT_TRUE(writeAll(*fs_, "/small.txt", "hello"));
    ASSERT_TRUE(writeAll(*fs_, "/big.bin", big));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/empty"), "");
    EXPECT_EQ(readAll(*fs_, "/small.txt"), "hello");
    EXPECT_EQ(readAll(*fs_, "/big.bin"), big);
    EXPECT_EQ(fs_->getFileSize(u"/big.bin"), static_cast<int64_t>(big.size()));
    EXPECT_EQ(fs_->getFileAttribute(u"/small.txt"), IFileSystem::ATTR_FILE);
}

TEST_F(TinyFiles, ManySmallWritesMakeTheSameFile)
{
    std::string data = pattern(5000);
    Ref<IOutputStream> out;
    ASSERT_TRUE(fs_->open(u"/f", out.out()));
    for (size_t i = 0; i < data.size(); i += 7)
        ASSERT_GT(out->write(data.data() + i, static_cast<int>(std::min<size_t>(7, data.size() - i))), 0);
    out.reset();
    EXPECT_EQ(readAll(*fs_, "/f"), data);
}

TEST_F(TinyFiles, AShorterRewriteEndsAtItsOwnSize)
{
    ASSERT_TRUE(writeAll(*fs_, "/f", pattern(5000)));
    ASSERT_TRUE(writeAll(*fs_, "/f", "short"));
    EXPECT_EQ(readAll(*fs_, "/f"), "short");
    EXPECT_EQ(fs_->getFileSize(u"/f"), 5);
    std::string longer = pattern(4500);
    ASSERT_TRUE(writeAll(*fs_, "/f", longer));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/f"), longer);
    EXPECT_EQ(TempFolder::read(file()).size(), 4u * 2048) << "the blocks were reused";
}

TEST_F(TinyFiles, StreamsSeekWithinTheFile)
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
    EXPECT_TRUE(in->isEnd());
    EXPECT_EQ(in->read(buffer, 10), 0);
    EXPECT_EQ(seek->moveToBegin(), 0);
    EXPECT_EQ(in->readByte(), data[0]);
    EXPECT_EQ(seek->moveBy(INT64_MIN), 0);
}

TEST_F(TinyFiles, AnOutputStreamOverwritesWhereItWasMoved)
{
    Ref<IOutputStream> out;
    ASSERT_TRUE(fs_->open(u"/f", out.out()));
    std::string data = pattern(3000);
    ASSERT_EQ(out->write(data.data(), 3000), 3000);
    ASSERT_EQ(out->getSeekable()->moveTo(2042), 2042);
    ASSERT_EQ(out->write("XYZW", 4), 4);
    ASSERT_EQ(out->getSeekable()->moveToEnd(), 3000);
    ASSERT_EQ(out->write("!", 1), 1);
    out.reset();
    data.replace(2042, 4, "XYZW");
    EXPECT_EQ(readAll(*fs_, "/f"), data + "!");
}

TEST_F(TinyFiles, FilesNeedAnExistingDirectory)
{
    EXPECT_FALSE(writeAll(*fs_, "/no/such.txt", "x"));
    ASSERT_TRUE(fs_->createDirectory(u"/no", false));
    EXPECT_TRUE(writeAll(*fs_, "/no/such.txt", "x"));
    EXPECT_FALSE(writeAll(*fs_, "/no", "x")) << "a directory is no file";
    EXPECT_EQ(readAll(*fs_, "/no"), "<missing>");
    Ref<IFileStream> stream;
    EXPECT_FALSE(fs_->open(u"/no/such.txt", stream.out(), IFileStream::OPEN_READ));
}

TEST_F(TinyFiles, DeletingAFileLeavesTheOthers)
{
    ASSERT_TRUE(writeAll(*fs_, "/a", "1"));
    ASSERT_TRUE(writeAll(*fs_, "/b", "2"));
    EXPECT_TRUE(fs_->deleteFile(u"/a"));
    EXPECT_FALSE(fs_->deleteFile(u"/a"));
    EXPECT_FALSE(fs_->isExists(u"/a"));
    EXPECT_EQ(fs_->getFileSize(u"/a"), -1);
    EXPECT_EQ(readAll(*fs_, "/a"), "<missing>");
    EXPECT_EQ(readAll(*fs_, "/b"), "2");
    ASSERT_TRUE(writeAll(*fs_, "/a", "again"));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/a"), "again");
    EXPECT_EQ(listed(*fs_, "/"), (std::vector<std::string>{"/b", "/a"}));
}

TEST_F(TinyFiles, ReadOnlyFilesRefuseWriting)
{
    ASSERT_TRUE(writeAll(*fs_, "/f", "keep"));
    fs_->setReadOnly(u"/f", true);
    EXPECT_EQ(fs_->getFileAttribute(u"/f"), IFileSystem::ATTR_FILE | IFileSystem::ATTR_READONLY);
    EXPECT_TRUE(fs_->isReadable(u"/f"));
    EXPECT_FALSE(fs_->isWriteable(u"/f"));
    EXPECT_FALSE(writeAll(*fs_, "/f", "lost"));
    ASSERT_TRUE(writeAll(*fs_, "/other", "other"));
    EXPECT_FALSE(fs_->copyFile(u"/other", u"/f", true));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/f"), "keep");
    fs_->setReadOnly(u"/f", false);
    EXPECT_TRUE(writeAll(*fs_, "/f", "new"));
}

TEST_F(TinyFiles, TimesAreKeptToTheSecond)
{
    DateTime before(System::currentTime());
    ASSERT_TRUE(writeAll(*fs_, "/f", "x"));
    DateTime written = fs_->getFileTime(u"/f");
    EXPECT_GE(written, before);
    EXPECT_LE(written, DateTime(System::currentTime()));

    DateTime chosen(2011, 5, 3, 10, 20, 30, 0);
    fs_->setFileTime(u"/f", chosen);
    reopen();
    EXPECT_EQ(fs_->getFileTime(u"/f").toString(), chosen.toString());
    fs_->setFileTime(u"/f", DateTime());
    EXPECT_EQ(fs_->getFileTime(u"/f").toString(), chosen.toString()) << "no date, no change";
    EXPECT_FALSE(fs_->getFileTime(u"/missing").isValid());
}

// --------------------------------------------------------- directories

TEST_F(TinyFiles, DirectoriesAreCreatedLevelByLevel)
{
    EXPECT_FALSE(fs_->createDirectory(u"/a/b/c", false));
    EXPECT_TRUE(fs_->createDirectory(u"/a/b/c", true));
    EXPECT_TRUE(fs_->isDirectory(u"/a"));
    EXPECT_TRUE(fs_->isDirectory(u"/a/b"));
    EXPECT_TRUE(fs_->createDirectory(u"/a/b", false)) << "already there";
    ASSERT_TRUE(writeAll(*fs_, "/a/file", "x"));
    EXPECT_FALSE(fs_->createDirectory(u"/a/file", false));
    EXPECT_FALSE(fs_->createDirectory(u"/a/file/sub", true));
    EXPECT_EQ(fs_->getFileAttribute(u"/a/b"), IFileSystem::ATTR_DIRECTORY);
    EXPECT_TRUE(fs_->isDirectory(u"/")) << "the root is always there";
    EXPECT_TRUE(fs_->createDirectory(u"/", false));
}

TEST_F(TinyFiles, ListingShowsEveryEntryBelowWithItsFullPath)
{
    ASSERT_TRUE(fs_->createDirectory(u"/site/img", true));
    ASSERT_TRUE(writeAll(*fs_, "/site/index.htm", "<html>"));
    ASSERT_TRUE(writeAll(*fs_, "/site/img/logo.png", "png"));
    ASSERT_TRUE(writeAll(*fs_, "/sitemap.xml", "xml"));
    EXPECT_EQ(sorted(listed(*fs_, "/site")),
              (std::vector<std::string>{"/site/img", "/site/img/logo.png", "/site/index.htm"}));
    EXPECT_EQ(listed(*fs_, "/").size(), 5u);
    EXPECT_TRUE(listed(*fs_, "/missing").empty());

    Array<IFileSystem::FileEntry> entries;
    fs_->listDirectory(u"/site/img", entries);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->size, 3);
    EXPECT_EQ(entries[0]->attributes, IFileSystem::ATTR_FILE);
}

TEST_F(TinyFiles, FolderInfoCountsFilesBelow)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d/e", true));
    ASSERT_TRUE(writeAll(*fs_, "/d/one", "12345"));
    ASSERT_TRUE(writeAll(*fs_, "/d/e/two", pattern(3000)));
    ASSERT_TRUE(writeAll(*fs_, "/outside", "x"));
    int files = 0;
    int64_t bytes = 0;
    EXPECT_TRUE(fs_->getFolderInfo(u"/d", files, bytes));
    EXPECT_EQ(files, 2);
    EXPECT_EQ(bytes, 3005);
    EXPECT_FALSE(fs_->getFolderInfo(u"/d/one", files, bytes));
}

TEST_F(TinyFiles, RemovingADirectoryTakesItsEntriesOnlyWhenAsked)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d/e", true));
    ASSERT_TRUE(writeAll(*fs_, "/d/e/f", "x"));
    ASSERT_TRUE(writeAll(*fs_, "/dx", "not below /d"));
    EXPECT_FALSE(fs_->removeDirectory(u"/d", false));
    EXPECT_FALSE(fs_->removeDirectory(u"/dx", true)) << "a file";
    EXPECT_TRUE(fs_->removeDirectory(u"/d", true));
    EXPECT_FALSE(fs_->isExists(u"/d/e/f"));
    EXPECT_TRUE(fs_->isExists(u"/dx"));
    EXPECT_FALSE(fs_->removeDirectory(u"/", true));
    ASSERT_TRUE(fs_->createDirectory(u"/empty", false));
    EXPECT_TRUE(fs_->removeDirectory(u"/empty", false));
}

TEST_F(TinyFiles, EmptyingADirectoryKeepsIt)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d/e", true));
    ASSERT_TRUE(writeAll(*fs_, "/d/f", "x"));
    EXPECT_TRUE(fs_->emptyDirectory(u"/d"));
    EXPECT_TRUE(fs_->isDirectory(u"/d"));
    EXPECT_TRUE(listed(*fs_, "/d").empty());
    EXPECT_TRUE(fs_->emptyDirectory(u"/"));
    EXPECT_TRUE(listed(*fs_, "/").empty());
}

TEST_F(TinyFiles, PathsResolveAgainstTheCurrentDirectory)
{
    ASSERT_TRUE(fs_->createDirectory(u"/docs/old", true));
    EXPECT_FALSE(fs_->setCurrentDirectory(u"/nowhere"));
    ASSERT_TRUE(fs_->setCurrentDirectory(u"/docs/"));
    EXPECT_EQ(fs_->getCurrentDirectory(), String(u"/docs"));
    ASSERT_TRUE(writeAll(*fs_, "a.htm", "A"));
    EXPECT_EQ(readAll(*fs_, "/docs/a.htm"), "A");
    EXPECT_EQ(readAll(*fs_, "old/../a.htm"), "A");
    EXPECT_EQ(readAll(*fs_, "..\\docs\\.\\a.htm"), "A");
    EXPECT_EQ(readAll(*fs_, "//docs///a.htm"), "A");
    String real;
    EXPECT_TRUE(fs_->getRealPath(u"old/../../../x", real));
    EXPECT_EQ(real, String(u"/x")) << "never above the root";
    EXPECT_TRUE(fs_->getRealPath(u"", real));
    EXPECT_EQ(real, String(u"/docs"));
    String path(u"a.htm");
    EXPECT_TRUE(fs_->resolve(path));
    EXPECT_EQ(path, String(u"/docs/a.htm"));
    EXPECT_TRUE(fs_->isAbsolute(u"/x"));
    EXPECT_FALSE(fs_->isAbsolute(u"x"));
    EXPECT_EQ(fs_->getHomePath(), String(u"/"));
    EXPECT_EQ(fs_->getSeparator(), u'/');
    ASSERT_TRUE(fs_->setCurrentDirectory(u"/"));
    EXPECT_EQ(fs_->getCurrentDirectory(), String(u"/"));
}

TEST_F(TinyFiles, PathsMustStayBelowTheLimit)
{
    std::string longest = "/" + std::string(233, 'p'); // 234 bytes
    EXPECT_TRUE(writeAll(*fs_, longest, "x"));
    EXPECT_FALSE(writeAll(*fs_, longest + "q", "x"));
    std::u16string chinese(78, u'\u4e2d'); // 234 UTF-8 bytes with the "/"
    EXPECT_FALSE(fs_->createDirectory(String(u"/") + chinese.c_str() + u"x", false));
    EXPECT_TRUE(fs_->createDirectory(String(u"/") + String(chinese.c_str(), 77), false));
    EXPECT_FALSE(fs_->createDirectory(u"", false));
    EXPECT_FALSE(fs_->isExists(u""));
}

// ------------------------------------------------------ moving, copying

TEST_F(TinyFiles, MovingAFileKeepsItsContent)
{
    ASSERT_TRUE(writeAll(*fs_, "/a.txt", pattern(2100)));
    ASSERT_TRUE(fs_->createDirectory(u"/archive-with-a-long-name", false));
    EXPECT_TRUE(fs_->moveFile(u"/a.txt", u"/b.txt", false)) << "fits in place";
    EXPECT_TRUE(fs_->moveFile(u"/b.txt", u"/archive-with-a-long-name/b.txt", false)) << "a new record";
    reopen();
    EXPECT_FALSE(fs_->isExists(u"/a.txt"));
    EXPECT_FALSE(fs_->isExists(u"/b.txt"));
    EXPECT_EQ(readAll(*fs_, "/archive-with-a-long-name/b.txt"), pattern(2100));
}

TEST_F(TinyFiles, MovingOntoAFileNeedsTheOverwriteFlag)
{
    ASSERT_TRUE(writeAll(*fs_, "/a", "new"));
    ASSERT_TRUE(writeAll(*fs_, "/b", "old"));
    EXPECT_FALSE(fs_->moveFile(u"/a", u"/b", false));
    EXPECT_EQ(readAll(*fs_, "/b"), "old");
    EXPECT_TRUE(fs_->moveFile(u"/a", u"/b", true));
    EXPECT_EQ(readAll(*fs_, "/b"), "new");
    EXPECT_EQ(listed(*fs_, "/"), std::vector<std::string>{"/b"});
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
    EXPECT_FALSE(fs_->isExists(u"/src/a"));
}

TEST_F(TinyFiles, DirectoriesAreNeverMovedIntoThemselvesOrReplaced)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d/sub", true));
    ASSERT_TRUE(fs_->createDirectory(u"/other", false));
    ASSERT_TRUE(writeAll(*fs_, "/other/keep", "K"));
    ASSERT_TRUE(writeAll(*fs_, "/f", "F"));
    EXPECT_FALSE(fs_->moveFile(u"/d", u"/d/sub/d", false));
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/other", true)) << "its entries would be orphaned";
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/missing/f", false));
    EXPECT_FALSE(fs_->moveFile(u"/f", u"/f", true));
    EXPECT_FALSE(fs_->moveFile(u"/", u"/x", false));
    EXPECT_FALSE(fs_->moveFile(u"/nothing", u"/x", false));
    EXPECT_EQ(readAll(*fs_, "/other/keep"), "K");
    EXPECT_EQ(readAll(*fs_, "/f"), "F");
    EXPECT_TRUE(fs_->isDirectory(u"/d/sub"));
}

TEST_F(TinyFiles, AMoveWhoseEntriesWouldGrowTooLongIsRefused)
{
    ASSERT_TRUE(fs_->createDirectory(u"/d", false));
    std::string inner = "/d/" + std::string(200, 'n');
    ASSERT_TRUE(writeAll(*fs_, inner, "x"));
    EXPECT_FALSE(fs_->moveFile(u"/d", text("/" + std::string(40, 'm')), false));
    EXPECT_EQ(readAll(*fs_, inner), "x");
    EXPECT_TRUE(fs_->isDirectory(u"/d"));
}

TEST_F(TinyFiles, CopyingMakesASecondFile)
{
    std::string data = pattern(4500);
    ASSERT_TRUE(writeAll(*fs_, "/a", data));
    EXPECT_TRUE(fs_->copyFile(u"/a", u"/b", false));
    ASSERT_TRUE(writeAll(*fs_, "/a", "changed"));
    reopen();
    EXPECT_EQ(readAll(*fs_, "/b"), data);
    EXPECT_EQ(readAll(*fs_, "/a"), "changed");
}

TEST_F(TinyFiles, CopyingHonoursTheOverwriteFlag)
{
    ASSERT_TRUE(writeAll(*fs_, "/a", "A"));
    ASSERT_TRUE(writeAll(*fs_, "/b", "B"));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/b", false));
    EXPECT_EQ(readAll(*fs_, "/b"), "B");
    EXPECT_TRUE(fs_->copyFile(u"/a", u"/b", true));
    EXPECT_EQ(readAll(*fs_, "/b"), "A");
    ASSERT_TRUE(fs_->createDirectory(u"/d", false));
    EXPECT_FALSE(fs_->copyFile(u"/d", u"/e", true)) << "directories are not copied";
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/d", true));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/nodir/a", true));
}

TEST_F(TinyFiles, CopyingAFileOntoItselfLeavesItIntact)
{
    std::string data = pattern(3000);
    ASSERT_TRUE(writeAll(*fs_, "/a", data));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/a", true));
    EXPECT_FALSE(fs_->copyFile(u"/a", u"/./a", true));
    ASSERT_TRUE(fs_->setCurrentDirectory(u"/"));
    EXPECT_FALSE(fs_->copyFile(u"a", u"/a", true));
    EXPECT_EQ(readAll(*fs_, "/a"), data);
}

// ------------------------------------------------------ as IFileSystem

TEST_F(TinyFiles, AContainerServesAnythingThatTakesAFileSystem)
{
    ASSERT_TRUE(fs_->createDirectory(u"/pages", false));
    ASSERT_TRUE(writeAll(*fs_, "/pages/a.htm", "a"));
    ASSERT_TRUE(writeAll(*fs_, "/pages/b.htm", "b"));
    ASSERT_TRUE(writeAll(*fs_, "/pages/c.css", "c"));
    IFileSystem& any = *fs_;
    EXPECT_EQ(countPages(any, u"/pages"), 2);
    String joined;
    any.join(joined, u"/pages\\", u"a.htm");
    EXPECT_EQ(joined, String(u"/pages/a.htm"));
    EXPECT_EQ(any.fileName(joined), String(u"a.htm"));
}
