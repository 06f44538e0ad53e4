#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "FileSystemTesting.h"
#include "tessel/tessel.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

System& host()
{
    return System::getInstance();
}

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

TEST(HostPaths, JoinNormalizeFileNameAndDirName)
{
    struct Join {
        const char* out;
        const char* a;
        const char* b;
        const char* expected;
    } joins[] = {{"/a/", "/b", "c.txt", "/a/b/c.txt"},  {"", "x\\y", "", "x/y"},
                 {"base", "", "f", "base/f"},           {"a\\", "b", "", "a/b"},
                 {"/root", "\\sub", "/", "/root/sub/"}, {"/x", "page#top", "", "/x/page"}};
    for (const Join& row : joins) {
        String result = text(row.out);
        host().join(result, text(row.a), text(row.b));
        EXPECT_EQ(row.expected, result.toStdString()) << row.a << " + " << row.b;
    }
    const char* normals[][2] = {{"/data/a?b#frag", "/data/a_b"}, {"a\\b<c>|*", "a/b_c___"}, {"", ""}};
    for (auto& row : normals) {
        String path = text(row[0]);
        host().normalize(path);
        EXPECT_EQ(row[1], path.toStdString()) << row[0];
    }
    const char* fileNames[][2] = {{"c:\\dir\\file.htm?x=1", "file.htm"},
                                  {"file.htm", "file.htm"},
                                  {"/a/b/page#top", "page"},
                                  {"/x/y?q=/z", "y"},
                                  {"/a/b/", ""}};
    for (auto& row : fileNames)
        EXPECT_EQ(row[1], host().fileName(text(row[0])).toStdString()) << row[0];
    const char* dirNames[][2] = {
        {"c:\\dir\\sub\\", "c:\\dir"}, {"/usr/bin/tool", "/usr/bin"}, {"/a/b?x=/c", "/a"}, {"/x", "/"}, {"name", ""}};
    for (auto& row : dirNames)
        EXPECT_EQ(row[1], IFileSystem::dirName(text(row[0])).toStdString()) << row[0];
    EXPECT_EQ(u"", IFileSystem::dirName(nullptr));
    EXPECT_TRUE(host().isAbsolute(u"/x"));
    EXPECT_FALSE(host().isAbsolute(u"C:\\x"));
    EXPECT_FALSE(host().isAbsolute(String()));
}

TEST(HostDirectories, RemovingNeverFollowsLinksOutOfTheFolder)
{
    TempFolder folder;
    folder.write("outside.txt", "keep");
    folder.write("target/kept.txt", "keep");
    std::filesystem::create_directories(folder / "doomed");
    std::filesystem::create_directory_symlink(folder / "target", folder / "doomed/link");
    std::filesystem::create_symlink(folder / "outside.txt", folder / "doomed/file-link");

    EXPECT_TRUE(host().emptyDirectory(text(folder / "doomed")));
    EXPECT_TRUE(std::filesystem::is_empty(folder / "doomed"));
    EXPECT_EQ("keep", TempFolder::read(folder / "target/kept.txt"));
    EXPECT_EQ("keep", TempFolder::read(folder / "outside.txt"));

    std::filesystem::create_directory_symlink(folder / "target", folder / "link");
    EXPECT_FALSE(host().removeDirectory(text(folder / "link"), true));
    EXPECT_FALSE(host().removeDirectory(text(folder / "link/"), true));
    EXPECT_TRUE(std::filesystem::exists(folder / "target/kept.txt"));
}

TEST(HostDirectories, EmptyingReportsARemovalThatFailed)
{
    TempFolder folder;
    folder.write("box/a.txt", "a");
    folder.write("box/sub/.hidden", "h");
    folder.write("box/stuck.txt", "s");
    EXPECT_FALSE(host().emptyDirectory(text(folder / "box/a.txt"))) << "not a folder";
    {
        ImmutableFile stuck(folder / "box/stuck.txt");
        if (!stuck.isSet())
            GTEST_SKIP() << "this file system cannot make a file immutable";
        EXPECT_FALSE(host().emptyDirectory(text(folder / "box")));
        EXPECT_TRUE(std::filesystem::exists(folder / "box/stuck.txt"));
        EXPECT_FALSE(std::filesystem::exists(folder / "box/a.txt")) << "the others are gone";
        EXPECT_FALSE(std::filesystem::exists(folder / "box/sub"));
    }
    EXPECT_TRUE(host().emptyDirectory(text(folder / "box")));
}

TEST(HostAttributes, KindsHiddenReadOnlyAndSideEffectFreeProbes)
{
    TempFolder folder;
    std::string file = folder.write("f.txt", "data");
    std::string hidden = folder.write(".secret", "s");
    EXPECT_EQ(IFileSystem::ATTR_FILE, host().getFileAttribute(text(file)));
    EXPECT_EQ(IFileSystem::ATTR_DIRECTORY, host().getFileAttribute(text(folder.path())));
    EXPECT_EQ(0, host().getFileAttribute(text(folder / "missing")));
    host().setReadOnly(text(hidden), true);
    EXPECT_EQ(25, host().getFileAttribute(text(hidden)));
    host().setReadOnly(text(hidden), false);
    EXPECT_EQ(17, host().getFileAttribute(text(hidden)));
    EXPECT_TRUE(host().isExists(text(folder / "*.txt")));
    EXPECT_FALSE(host().isExists(text(folder / "*.doc")));

    EXPECT_TRUE(host().isWriteable(text(file)));
    EXPECT_EQ("data", TempFolder::read(file));
    EXPECT_FALSE(host().isReadable(text(folder / "new.txt")));
    EXPECT_TRUE(host().isWriteable(text(folder / "new.txt")));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.txt")) << "testing creates nothing";
    EXPECT_FALSE(host().isWriteable(text(folder / "no/such/new.txt")));
    EXPECT_FALSE(host().isWriteable(text(folder.path())));
    {
        FileStream busy(text(file), IFileStream::OPEN_READ);
        EXPECT_FALSE(host().isReadable(text(file))) << "in use by another stream";
        EXPECT_FALSE(host().isWriteable(text(file)));
    }
    host().setReadOnly(text(file), true);
    EXPECT_FALSE(host().isWriteable(text(file)));
    EXPECT_TRUE(host().isReadable(text(file)));
}

TEST(HostListing, ListsFoldersAndPatternsWithSixtyFourBitSizes)
{
    TempFolder folder;
    folder.write("b.txt", "12345");
    folder.write("a.log", "1");
    folder.write(".hidden.txt", "");
    std::filesystem::create_directories(folder / "zdir");
    const int64_t big = (5LL << 30) + 7;
    {
        FileStream sparse(text(folder / "adir/big.bin"), IFileStream::OPEN_WRITE | IFileStream::OPEN_MAKEDIRS);
        sparse.moveTo(big - 1);
        sparse.writeByte('z');
    }
    host().setReadOnly(text(folder / "a.log"), true);

    Array<IFileSystem::FileEntry> entries;
    host().listDirectory(text(folder.path() + "/"), entries);
    entries.sort(); // directories first, each group by name
    EXPECT_EQ((std::vector<std::string>{"adir", "zdir", ".hidden.txt", "a.log", "b.txt"}), namesOf(entries));
    const int attributes[] = {IFileSystem::ATTR_DIRECTORY, IFileSystem::ATTR_DIRECTORY,
                              IFileSystem::ATTR_FILE | IFileSystem::ATTR_HIDDEN,
                              IFileSystem::ATTR_FILE | IFileSystem::ATTR_READONLY, IFileSystem::ATTR_FILE};
    for (int i = 0; i < entries.size(); i++)
        EXPECT_EQ(attributes[i], entries[i]->attributes) << entries[i]->name.toStdString();
    EXPECT_EQ(5, entries[4]->size);

    Array<IFileSystem::FileEntry> matches;
    host().listDirectory(text(folder / "*.txt"), matches);
    EXPECT_EQ((std::vector<std::string>{".hidden.txt", "b.txt"}), sorted(namesOf(matches)));
    Array<IFileSystem::FileEntry> single;
    host().listDirectory(text(folder / "adir/*.bin"), single);
    host().listDirectory(String(), single);
    host().listDirectory(text(folder / "none/*"), single);
    ASSERT_EQ(1, single.size());
    EXPECT_EQ(big, single[0]->size);

    EXPECT_EQ(big, host().getFileSize(text(folder / "adir/big.bin")));
    EXPECT_EQ(-1, host().getFileSize(text(folder / "missing")));
    EXPECT_EQ(-1, host().getFileSize(text(folder.path())));
    int files = 1;
    int64_t bytes = 10;
    EXPECT_TRUE(host().getFolderInfo(text(folder.path()), files, bytes));
    EXPECT_EQ(1 + 4, files) << "counters go on from what they held";
    EXPECT_EQ(10 + 5 + 1 + big, bytes);
    EXPECT_FALSE(host().getFolderInfo(text(folder / "b.txt"), files, bytes));
}

TEST(HostMoveCopy, OntoItselfFailsAndLeavesTheFileIntact)
{
    TempFolder folder;
    String file = text(folder.write("self.txt", "precious"));
    EXPECT_FALSE(host().copyFile(file, file, true));
    EXPECT_FALSE(host().moveFile(file, file, true));
    EXPECT_FALSE(host().copyFile(file, text(folder.path()), true)) << "the folder holds the file itself";
    EXPECT_FALSE(host().moveFile(file, text(folder.path() + "/./self.txt"), true));
    std::filesystem::create_hard_link(folder / "self.txt", folder / "alias.txt");
    EXPECT_FALSE(host().copyFile(file, text(folder / "alias.txt"), true));
    EXPECT_FALSE(host().moveFile(file, text(folder / "alias.txt"), true));
    std::filesystem::create_symlink(folder / "self.txt", folder / "link.txt");
    EXPECT_FALSE(host().copyFile(file, text(folder / "link.txt"), true));
    EXPECT_EQ("precious", TempFolder::read(folder / "self.txt"));
}
