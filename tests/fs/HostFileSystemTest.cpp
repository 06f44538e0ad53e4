#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "../core/TempFolder.h"
#include "tessel/tessel.h"

using namespace tessel;
using tessel::testing::TempFolder;

namespace {

String path(const std::string& native) { return String::fromUTF8(native); }

System& host() { return System::getInstance(); }

std::vector<std::string> namesOf(const Array<IFileSystem::FileEntry>& entries)
{
    std::vector<std::string> names;
    for (int i = 0; i < entries.size(); i++)
        names.push_back(entries[i]->name.toStdString());
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Marks a file immutable, so that not even a privileged process can remove
// it, and lifts the mark again when it goes.
class ImmutableFile {
public:
    explicit ImmutableFile(const std::string& file) : file_(file) { set(true); }
    ~ImmutableFile() { set(false); }
    bool isSet() const { return set_; }

private:
    void set(bool on)
    {
        int fd = ::open(file_.c_str(), O_RDONLY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0)
                set_ = on;
        }
        ::close(fd);
    }

    std::string file_;
    bool set_ = false;
};

} // namespace

TEST(HostDirectories, CreateLevelByLevelAndRemove)
{
    TempFolder folder;
    EXPECT_FALSE(host().createDirectory(path(folder / "a/b"), false));
    EXPECT_TRUE(host().createDirectory(path(folder / "a/b"), true));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "a/b"));
    EXPECT_TRUE(host().createDirectory(path(folder / "a/b"), false)) << "already there";
    EXPECT_TRUE(host().createDirectory(path(folder.path() + "\\c\\d"), true));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "c/d"));

    folder.write("file", "x");
    EXPECT_FALSE(host().createDirectory(path(folder / "file/sub/deeper"), true));
    EXPECT_FALSE(host().createDirectory(String(), true));

    folder.write("a/b/inner.txt", "x");
    EXPECT_FALSE(host().removeDirectory(path(folder / "a"), false));
    EXPECT_TRUE(host().removeDirectory(path(folder / "a"), true));
    EXPECT_FALSE(std::filesystem::exists(folder / "a"));
    EXPECT_FALSE(host().removeDirectory(path(folder / "file"), true));
}

TEST(HostDirectories, RemovingNeverFollowsLinksOutOfTheFolder)
{
    TempFolder folder;
    folder.write("outside.txt", "keep");
    std::filesystem::create_directories(folder / "target");
    folder.write("target/kept.txt", "keep");
    std::filesystem::create_directories(folder / "doomed");
    std::filesystem::create_directory_symlink(folder / "target", folder / "doomed/link");
    std::filesystem::create_symlink(folder / "outside.txt", folder / "doomed/file-link");

    EXPECT_TRUE(host().emptyDirectory(path(folder / "doomed")));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "doomed"));
    EXPECT_EQ("keep", TempFolder::read(folder / "target/kept.txt"));
    EXPECT_EQ("keep", TempFolder::read(folder / "outside.txt"));

    std::filesystem::create_directory_symlink(folder / "target", folder / "link");
    EXPECT_FALSE(host().removeDirectory(path(folder / "link"), true));
    EXPECT_FALSE(host().removeDirectory(path(folder / "link/"), true));
    EXPECT_TRUE(std::filesystem::exists(folder / "target/kept.txt"));
}

TEST(HostDirectories, EmptyingReportsARemovalThatFailed)
{
    TempFolder folder;
    folder.write("box/a.txt", "a");
    std::filesystem::create_directories(folder / "box/sub");
    folder.write("box/sub/.hidden", "h");
    folder.write("box/stuck.txt", "s");
    EXPECT_FALSE(host().emptyDirectory(path(folder / "box/a.txt"))) << "not a folder";
    EXPECT_FALSE(host().emptyDirectory(String()));
    {
        ImmutableFile stuck(folder / "box/stuck.txt");
        if (!stuck.isSet())
            GTEST_SKIP() << "this file system cannot make a file immutable";
        EXPECT_FALSE(host().emptyDirectory(path(folder / "box")));
        EXPECT_TRUE(std::filesystem::exists(folder / "box/stuck.txt"));
        EXPECT_FALSE(std::filesystem::exists(folder / "box/a.txt")) << "the others are gone";
        EXPECT_FALSE(std::filesystem::exists(folder / "box/sub"));
    }
    EXPECT_TRUE(host().emptyDirectory(path(folder / "box")));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "box"));
}

TEST(HostAttributes, FilesFoldersHiddenAndReadOnly)
{
    TempFolder folder;
    std::string plain = folder.write("plain.txt", "p");
    std::string hidden = folder.write(".secret", "s");
    EXPECT_EQ(IFileSystem::ATTR_FILE, host().getFileAttribute(path(plain)));
    EXPECT_EQ(IFileSystem::ATTR_DIRECTORY, host().getFileAttribute(path(folder.path())));
    EXPECT_EQ(0, host().getFileAttribute(path(folder / "missing")));
    EXPECT_EQ(0, host().getFileAttribute(String()));

    host().setReadOnly(path(hidden), true);
    EXPECT_EQ(25, host().getFileAttribute(path(hidden)));
    host().setReadOnly(path(hidden), false);
    EXPECT_EQ(17, host().getFileAttribute(path(hidden)));

    EXPECT_TRUE(host().isFile(path(plain)));
    EXPECT_FALSE(host().isDirectory(path(plain)));
    EXPECT_TRUE(host().isDirectory(path(folder.path())));
    EXPECT_FALSE(host().isFile(path(folder.path())));
    EXPECT_TRUE(host().isExists(path(plain)));
    EXPECT_TRUE(host().isExists(path(folder / "*.txt")));
    EXPECT_FALSE(host().isExists(path(folder / "*.doc")));
    EXPECT_FALSE(host().isExists(String()));
}

TEST(HostAttributes, ReadableAndWriteableAreTriedWithoutSideEffects)
{
    TempFolder folder;
    std::string file = folder.write("f.txt", "data");
    EXPECT_TRUE(host().isReadable(path(file)));
    EXPECT_TRUE(host().isWriteable(path(file)));
    EXPECT_EQ("data", TempFolder::read(file));

    EXPECT_FALSE(host().isReadable(path(folder / "new.txt")));
    EXPECT_TRUE(host().isWriteable(path(folder / "new.txt")));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.txt")) << "testing creates nothing";
    EXPECT_FALSE(host().isWriteable(path(folder / "no/such/new.txt")));
    EXPECT_FALSE(host().isWriteable(path(folder.path())));
    EXPECT_FALSE(host().isReadable(path(folder.path())));

    {
        FileStream busy(path(file), IFileStream::OPEN_READ);
        EXPECT_FALSE(host().isReadable(path(file))) << "in use by another stream";
        EXPECT_FALSE(host().isWriteable(path(file)));
    }
    host().setReadOnly(path(file), true);
    EXPECT_FALSE(host().isWriteable(path(file)));
    EXPECT_TRUE(host().isReadable(path(file)));
}

TEST(HostStreams, OpenHandsOutOneReferenceOrLeavesTheOutputAlone)
{
    TempFolder folder;
    IInputStream* sentinel = reinterpret_cast<IInputStream*>(0x1);
    IInputStream* in = sentinel;
    EXPECT_FALSE(host().open(path(folder / "missing.txt"), &in));
    EXPECT_EQ(sentinel, in);
    EXPECT_FALSE(host().open(String(), &in));
    EXPECT_FALSE(host().open(path(folder / "x"), static_cast<IInputStream**>(nullptr)));

    IOutputStream* out = nullptr;
    ASSERT_TRUE(host().open(path(folder / "made.txt"), &out));
    EXPECT_EQ(1u, out->refCount());
    out->write("hello", 5);
    out->Release();
    EXPECT_EQ("hello", TempFolder::read(folder / "made.txt"));

    ASSERT_TRUE(host().open(path(folder / "made.txt"), &out));
    out->write("j", 1);
    out->Release();
    EXPECT_EQ("j", TempFolder::read(folder / "made.txt")) << "output streams start a new file";

    Ref<IInputStream> reader;
    ASSERT_TRUE(host().open(path(folder / "made.txt"), reader.out()));
    EXPECT_EQ('j', reader->readByte());

    Ref<IFileStream> file;
    EXPECT_FALSE(host().open(path(folder / "made.txt"), file.out(), 0)) << "still in use by the reader";
    reader.reset();
    ASSERT_TRUE(host().open(path(folder / "made.txt"), file.out(), 0));
    EXPECT_EQ(-1, file->write("no", 2)) << "mode 0 reads";
}

TEST(HostListing, ListsFoldersAndPatterns)
{
    TempFolder folder;
    folder.write("b.txt", "12345");
    folder.write("a.log", "1");
    folder.write(".hidden.txt", "");
    std::filesystem::create_directories(folder / "zdir");
    std::filesystem::create_directories(folder / "adir");
    host().setReadOnly(path(folder / "a.log"), true);

    Array<IFileSystem::FileEntry> entries;
    host().listDirectory(path(folder.path() + "/"), entries);
    EXPECT_EQ((std::vector<std::string>{".hidden.txt", "a.log", "adir", "b.txt", "zdir"}),
              sorted(namesOf(entries)));
    for (int i = 0; i < entries.size(); i++) {
        const IFileSystem::FileEntry& entry = *entries[i];
        std::string name = entry.name.toStdString();
        if (name == "b.txt") {
            EXPECT_EQ(5, entry.size);
            EXPECT_EQ(IFileSystem::ATTR_FILE, entry.attributes);
            EXPECT_TRUE(entry.modified.isValid());
        } else if (name == "a.log") {
            EXPECT_EQ(IFileSystem::ATTR_FILE | IFileSystem::ATTR_READONLY, entry.attributes);
        } else if (name == ".hidden.txt") {
            EXPECT_EQ(IFileSystem::ATTR_FILE | IFileSystem::ATTR_HIDDEN, entry.attributes);
        } else {
            EXPECT_EQ(IFileSystem::ATTR_DIRECTORY, entry.attributes);
        }
    }

    // Directories first, each group by name.
    entries.sort();
    EXPECT_EQ((std::vector<std::string>{"adir", "zdir", ".hidden.txt", "a.log", "b.txt"}), namesOf(entries));

    Array<IFileSystem::FileEntry> matches;
    host().listDirectory(path(folder / "*.txt"), matches);
    EXPECT_EQ((std::vector<std::string>{".hidden.txt", "b.txt"}), sorted(namesOf(matches)));
    Array<IFileSystem::FileEntry> single;
    host().listDirectory(path(folder / "b.txt"), single);
    EXPECT_EQ((std::vector<std::string>{"b.txt"}), namesOf(single));
    host().listDirectory(String(), single);
    host().listDirectory(path(folder / "none/*"), single);
    EXPECT_EQ(1, single.size());
}

TEST(HostTimes, FileTimesAreLocalWallClockFields)
{
    TempFolder folder;
    String file = path(folder.write("dated.txt", "d"));
    // 2024-03-15 10:20:30.250 local time; the tests run in Asia/Shanghai.
    host().setFileTime(file, DateTime(2024, 3, 15, 10, 20, 30, 250));
    DateTime modified = host().getFileTime(file);
    EXPECT_EQ(2460385u, modified.getJdn());
    EXPECT_EQ(((10 * 60 + 20) * 60 + 30) * 1000 + 250, modified.getMsOfDay());

    struct tm fields = {};
    fields.tm_year = 124;
    fields.tm_mon = 2;
    fields.tm_mday = 15;
    fields.tm_hour = 10;
    fields.tm_min = 20;
    fields.tm_sec = 30;
    fields.tm_isdst = -1;
    struct stat info;
    ASSERT_EQ(0, ::stat((folder / "dated.txt").c_str(), &info));
    EXPECT_EQ(std::mktime(&fields), info.st_mtim.tv_sec);
    EXPECT_EQ(250000000, info.st_mtim.tv_nsec);

    host().setFileTime(file, DateTime());
    EXPECT_EQ(2460385u, host().getFileTime(file).getJdn()) << "an invalid time changes nothing";
    EXPECT_FALSE(host().getFileTime(path(folder / "missing")).isValid());
}

TEST(HostSizes, SizesAndFolderTotalsAreSixtyFourBits)
{
    TempFolder folder;
    folder.write("one.txt", "123");
    folder.write("sub/two.txt", "4567");
    const int64_t big = (5LL << 30) + 7;
    {
        FileStream sparse(path(folder / "sub/big.bin"), IFileStream::OPEN_WRITE);
        sparse.moveTo(big - 1);
        sparse.writeByte('z');
    }
    EXPECT_EQ(3, host().getFileSize(path(folder / "one.txt")));
    EXPECT_EQ(big, host().getFileSize(path(folder / "sub/big.bin")));
    EXPECT_EQ(-1, host().getFileSize(path(folder / "missing")));
    EXPECT_EQ(-1, host().getFileSize(path(folder.path())));

    int files = 1;
    int64_t bytes = 10;
    EXPECT_TRUE(host().getFolderInfo(path(folder.path()), files, bytes));
    EXPECT_EQ(1 + 3, files) << "counters go on from what they held";
    EXPECT_EQ(10 + 3 + 4 + big, bytes);
    EXPECT_FALSE(host().getFolderInfo(path(folder / "one.txt"), files, bytes));

    Array<IFileSystem::FileEntry> entries;
    host().listDirectory(path(folder / "sub/*.bin"), entries);
    ASSERT_EQ(1, entries.size());
    EXPECT_EQ(big, entries[0]->size);
}

TEST(HostMoveCopy, MoveIntoAFolderAndRespectOverwrite)
{
    TempFolder folder;
    std::string from = folder.write("x.txt", "x");
    std::filesystem::create_directories(folder / "dir");
    EXPECT_TRUE(host().moveFile(path(from), path(folder / "dir"), false));
    EXPECT_EQ("x", TempFolder::read(folder / "dir/x.txt"));
    EXPECT_FALSE(std::filesystem::exists(from));

    folder.write("y.txt", "new");
    EXPECT_FALSE(host().moveFile(path(folder / "y.txt"), path(folder / "dir/x.txt"), false));
    EXPECT_EQ("x", TempFolder::read(folder / "dir/x.txt"));
    EXPECT_TRUE(host().moveFile(path(folder / "y.txt"), path(folder / "dir/x.txt"), true));
    EXPECT_EQ("new", TempFolder::read(folder / "dir/x.txt"));
    EXPECT_FALSE(host().moveFile(path(folder / "gone.txt"), path(folder / "z.txt"), true));
    EXPECT_FALSE(host().moveFile(String(), path(folder / "z.txt"), true));
}

TEST(HostMoveCopy, CopyKeepsContentAndTimeAndRespectsOverwrite)
{
    TempFolder folder;
    String from = path(folder.write("src.txt", "content"));
    host().setFileTime(from, DateTime(2020, 1, 2, 3, 4, 5, 0));
    EXPECT_TRUE(host().copyFile(from, path(folder / "copy.txt"), false));
    EXPECT_EQ("content", TempFolder::read(folder / "copy.txt"));
    EXPECT_EQ(host().getFileTime(from).getJdn(), host().getFileTime(path(folder / "copy.txt")).getJdn());
    EXPECT_EQ(host().getFileTime(from).getMsOfDay(), host().getFileTime(path(folder / "copy.txt")).getMsOfDay());

    folder.write("copy.txt", "other");
    EXPECT_FALSE(host().copyFile(from, path(folder / "copy.txt"), false));
    EXPECT_EQ("other", TempFolder::read(folder / "copy.txt"));
    EXPECT_TRUE(host().copyFile(from, path(folder / "copy.txt"), true));
    EXPECT_EQ("content", TempFolder::read(folder / "copy.txt"));

    std::filesystem::create_directories(folder / "into");
    EXPECT_TRUE(host().copyFile(from, path(folder / "into"), false));
    EXPECT_EQ("content", TempFolder::read(folder / "into/src.txt"));
    EXPECT_FALSE(host().copyFile(path(folder / "into"), path(folder / "dircopy"), false));
}

TEST(HostMoveCopy, OntoItselfFailsAndLeavesTheFileIntact)
{
    TempFolder folder;
    String file = path(folder.write("self.txt", "precious"));
    EXPECT_FALSE(host().copyFile(file, file, true));
    EXPECT_FALSE(host().moveFile(file, file, true));
    EXPECT_FALSE(host().copyFile(file, path(folder.path()), true)) << "the folder holds the file itself";
    EXPECT_FALSE(host().moveFile(file, path(folder.path() + "/./self.txt"), true));
    std::filesystem::create_hard_link(folder / "self.txt", folder / "alias.txt");
    EXPECT_FALSE(host().copyFile(file, path(folder / "alias.txt"), true));
    EXPECT_FALSE(host().moveFile(file, path(folder / "alias.txt"), true));
    std::filesystem::create_symlink(folder / "self.txt", folder / "link.txt");
    EXPECT_FALSE(host().copyFile(file, path(folder / "link.txt"), true));
    EXPECT_EQ("precious", TempFolder::read(folder / "self.txt"));
}

TEST(HostPaths, RealPathsCurrentFolderAndHome)
{
    TempFolder folder;
    folder.write("sub/f.txt", "f");
    String real;
    ASSERT_TRUE(host().getRealPath(path(folder / "sub/../sub/f.txt"), real));
    String expected;
    ASSERT_TRUE(host().getRealPath(path(folder / "sub/f.txt"), expected));
    EXPECT_EQ(real.toStdString(), expected.toStdString());
    EXPECT_EQ(std::filesystem::canonical(folder / "sub/f.txt").string(), real.toStdString());

    ASSERT_TRUE(host().getRealPath(path(folder / "sub/./later/../new.txt"), real));
    EXPECT_EQ(std::filesystem::canonical(folder / "sub").string() + "/new.txt", real.toStdString());
    EXPECT_FALSE(host().getRealPath(String(), real));

    String before = host().getCurrentDirectory();
    EXPECT_TRUE(host().setCurrentDirectory(path(folder / "sub")));
    EXPECT_EQ(std::filesystem::canonical(folder / "sub").string(), host().getCurrentDirectory().toStdString());
    ASSERT_TRUE(host().getRealPath(u"not-yet.txt", real));
    EXPECT_EQ(std::filesystem::canonical(folder / "sub").string() + "/not-yet.txt", real.toStdString());
    EXPECT_TRUE(host().setCurrentDirectory(String()));
    EXPECT_TRUE(host().setCurrentDirectory(before));
    EXPECT_FALSE(host().setCurrentDirectory(path(folder / "missing")));

    const char* home = std::getenv("HOME");
    EXPECT_EQ(home ? std::string(home) : std::string(), host().getHomePath().toStdString());
}

TEST(HostFiles, DeleteRemovesFilesOnly)
{
    TempFolder folder;
    std::string file = folder.write("d.txt", "d");
    EXPECT_FALSE(host().deleteFile(path(folder.path())));
    EXPECT_TRUE(host().deleteFile(path(file)));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_FALSE(host().deleteFile(path(file)));
    EXPECT_FALSE(host().deleteFile(String()));
}
