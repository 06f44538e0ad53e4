// A folder offered as a file system of its own: everything stays inside.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/TempFolder.h"
#include "FileSystemTesting.h"
#include "tessel/tessel.h"

using namespace tessel;
using namespace tessel::testing;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return sorted(names);
}

// A folder "root" offered as the file system, beside a folder "outside"
// holding a secret.
class VirtualFiles : public ::testing::Test {
protected:
    VirtualFiles()
    {
        folder_.write("root/docs/a.htm", "page A");
        folder_.write("outside/secret.txt", "secret");
        vfs_ = new VirtualFileSystem(text(root()));
    }

    std::string root() const { return folder_ / "root"; }
    std::string outside() const { return folder_ / "outside"; }

    TempFolder folder_;
    Ref<VirtualFileSystem> vfs_;
};

// Paths that climb, or would climb once a host read them.
const char* const escapes[] = {
    "..",
    "/../etc/passwd",
    "a/../../x",
    "\\..\\x",
    "../outside/secret.txt",
    "/docs/../../outside/secret.txt",
    "%2e%2e/outside/secret.txt",
    "....//outside/secret.txt",
    "/..#/outside/secret.txt",
    "docs/..#/../outside/secret.txt",
};

} // namespace

TEST_F(VirtualFiles, RealPathsNeverLeaveTheRoot)
{
    String rootReal;
    ASSERT_TRUE(System::getInstance().getRealPath(text(root()), rootReal));
    for (const char* path : escapes) {
        SCOPED_TRACE(path);
        String real;
        if (vfs_->getRealPath(text(path), real)) {
            std::string resolved = fs::weakly_canonical(real.toStdString()).string();
            EXPECT_TRUE(VirtualPath::isWithin(text(resolved), rootReal, true)) << real.toStdString();
        }
        EXPECT_NE(readAll(*vfs_, path), "secret");
    }
    ASSERT_TRUE(vfs_->setCurrentDirectory(u"/docs"));
    for (const char* path : escapes)
        EXPECT_NE(readAll(*vfs_, path), "secret") << path;
}

TEST_F(VirtualFiles, ClimbingStopsAtTheRootAndEncodedDotsAreJustNames)
{
    EXPECT_EQ(readAll(*vfs_, "../../docs/a.htm"), "page A");
    EXPECT_EQ(readAll(*vfs_, "\\..\\docs\\a.htm"), "page A");
    EXPECT_EQ(sorted(listed(*vfs_, "..")), std::vector<std::string>{"docs"});
    String path(u"../../x/./y//z/..");
    EXPECT_TRUE(vfs_->resolve(path));
    EXPECT_EQ(path, String(u"/x/y"));
    const char* normals[][2] = {{"a\\b/./../c//d/", "a/c/d"}, {"a/..", "."}};
    for (auto& row : normals) {
        String virtualPath = text(row[0]);
        vfs_->normalize(virtualPath);
        EXPECT_EQ(virtualPath.toStdString(), row[1]) << row[0];
    }
    ASSERT_TRUE(vfs_->createDirectory(u"%2e%2e", false));
    ASSERT_TRUE(writeAll(*vfs_, "%2e%2e/x", "inside"));
    EXPECT_EQ(TempFolder::read(root() + "/%2e%2e/x"), "inside");
}

TEST_F(VirtualFiles, WritingThroughEscapesCreatesNothingOutside)
{
    std::vector<std::string> before = namesIn(folder_.path());
    for (const char* path : escapes) {
        SCOPED_TRACE(path);
        writeAll(*vfs_, std::string(path) + "-new", "x");
        vfs_->createDirectory(text(std::string(path) + "-dir"), true);
        vfs_->copyFile(u"/docs/a.htm", text(std::string(path) + "-copy"), true);
        vfs_->moveFile(text(path), u"/moved", false);
    }
    EXPECT_EQ(namesIn(folder_.path()), before);
    EXPECT_EQ(namesIn(outside()), std::vector<std::string>{"secret.txt"});
    EXPECT_EQ(TempFolder::read(outside() + "/secret.txt"), "secret");
}

TEST_F(VirtualFiles, AbsoluteHostPathsAreVirtualPaths)
{
    std::string secret = outside() + "/secret.txt";
    EXPECT_EQ(readAll(*vfs_, secret), "<missing>");
    EXPECT_EQ(readAll(*vfs_, "/etc/passwd"), "<missing>");
    folder_.write("root/etc/passwd", "ours");
    EXPECT_EQ(readAll(*vfs_, "/etc/passwd"), "ours");
    String real;
    ASSERT_TRUE(vfs_->getRealPath(text(secret), real));
    EXPECT_EQ(real.toStdString(), fs::canonical(root()).string() + secret);
}

TEST_F(VirtualFiles, SymbolicLinksAreFollowedOnlyWithinTheRoot)
{
    fs::create_directory_symlink(outside(), root() + "/link");
    fs::create_symlink(outside() + "/secret.txt", root() + "/secret-link");
    fs::create_symlink(outside() + "/planted.txt", root() + "/dangling");
    EXPECT_EQ(readAll(*vfs_, "/link/secret.txt"), "<missing>");
    EXPECT_EQ(readAll(*vfs_, "/secret-link"), "<missing>");
    EXPECT_FALSE(writeAll(*vfs_, "/link/new.txt", "x"));
    EXPECT_FALSE(writeAll(*vfs_, "/dangling", "x"));
    EXPECT_FALSE(vfs_->createDirectory(u"/link/sub", true));
    EXPECT_FALSE(vfs_->isExists(u"/link/secret.txt"));
    EXPECT_TRUE(listed(*vfs_, "/link").empty());
    EXPECT_FALSE(vfs_->setCurrentDirectory(u"/link"));
    EXPECT_FALSE(vfs_->emptyDirectory(u"/link"));
    EXPECT_EQ(namesIn(outside()), std::vector<std::string>{"secret.txt"});

    fs::create_directory_symlink(root() + "/docs", root() + "/alias");
    EXPECT_EQ(readAll(*vfs_, "/alias/a.htm"), "page A");
    EXPECT_TRUE(writeAll(*vfs_, "/alias/b.htm", "page B"));
    EXPECT_EQ(TempFolder::read(root() + "/docs/b.htm"), "page B");
}

TEST_F(VirtualFiles, TheRootItselfIsNeverRemovedOrMoved)
{
    EXPECT_FALSE(vfs_->removeDirectory(u"/", true));
    EXPECT_FALSE(vfs_->removeDirectory(u"..", true));
    EXPECT_FALSE(vfs_->moveFile(u"/", u"/docs/root", false));
    EXPECT_TRUE(fs::is_directory(root() + "/docs"));
    EXPECT_TRUE(vfs_->emptyDirectory(u"/"));
    EXPECT_TRUE(fs::is_directory(root()));
    EXPECT_TRUE(namesIn(root()).empty());
}

TEST(VirtualService, ABaseAndAConnectedNameThatCannotClimbOut)
{
    TempFolder folder;
    folder.write("base/site/index.htm", "site");
    folder.write("base/top.htm", "top");
    folder.write("base/file", "not a folder");
    folder.write("outside/secret.txt", "secret");
    fs::create_directory_symlink(folder / "outside", folder / "base/escape");
    VirtualFileSystem vfs(text(folder / "base/site"));
    EXPECT_EQ(readAll(vfs, "/index.htm"), "site");
    EXPECT_TRUE(vfs.setProperty(u"BasePath", text(folder / "base/")));
    EXPECT_FALSE(vfs.isConnected());
    EXPECT_EQ(readAll(vfs, "/index.htm"), "<missing>");
    EXPECT_TRUE(vfs.connect(String(), nullptr));
    EXPECT_EQ(readAll(vfs, "/top.htm"), "top");
    EXPECT_TRUE(vfs.connect(u"site", nullptr));
    for (const char16_t* name : {u"other", u"file", u"../outside", u"..", u"escape"})
        EXPECT_FALSE(vfs.connect(name, nullptr)) << String(name).toStdString();
    EXPECT_EQ(readAll(vfs, "/index.htm"), "site") << "still rooted at site";
    EXPECT_TRUE(vfs.connect(u"../site", nullptr)) << "the name is a path below the base";
    EXPECT_FALSE(vfs.setProperty(u"colour", u"red"));
    vfs.close();
    EXPECT_FALSE(vfs.isExists(u"/"));
    VirtualFileSystem unset;
    EXPECT_FALSE(unset.connect(u"site", nullptr)) << "no base path yet";
}

TEST(VirtualOverContainer, AFolderOfAContainerIsAFileSystem)
{
    TempFolder folder;
    Ref<TinyFileSystem> tiny = new TinyFileSystem();
    ASSERT_TRUE(tiny->initialize(text(folder / "box.tfs"), true));
    ASSERT_TRUE(tiny->createDirectory(u"/site/img", true));
    ASSERT_TRUE(writeAll(*tiny, "/site/index.htm", "home"));
    ASSERT_TRUE(writeAll(*tiny, "/secret", "secret"));

    Ref<VirtualFileSystem> vfs = new VirtualFileSystem(u"/site/", tiny);
    EXPECT_EQ(vfs->getRootPath(), String(u"/site"));
    EXPECT_EQ(readAll(*vfs, "/index.htm"), "home");
    EXPECT_EQ(readAll(*vfs, "../secret"), "<missing>");
    EXPECT_TRUE(writeAll(*vfs, "/img/logo.png", "png"));
    EXPECT_EQ(readAll(*tiny, "/site/img/logo.png"), "png");
    EXPECT_EQ(sorted(listed(*vfs, "/")), (std::vector<std::string>{"/img", "/img/logo.png", "/index.htm"}));
    EXPECT_TRUE(vfs->moveFile(u"/index.htm", u"/img/index.htm", false));
    EXPECT_TRUE(tiny->isFile(u"/site/img/index.htm"));
    Ref<IFileStream> stream;
    EXPECT_FALSE(vfs->open(u"/img/index.htm", stream.out(), IFileStream::OPEN_READ)) << "as the container";
    Ref<VirtualFileSystem> whole = new VirtualFileSystem(u"/", tiny);
    EXPECT_EQ(readAll(*whole, "/secret"), "secret");
}
