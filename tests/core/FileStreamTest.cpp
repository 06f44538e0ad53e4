#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/TempFolder.h"
#include "tessel/tessel.h"

using namespace tessel;
using tessel::testing::TempFolder;

namespace {

String path(const std::string& native)
{
    return String::fromUTF8(native);
}

std::string readAll(FileStream& stream)
{
    std::string bytes;
    char buffer[256];
    int n;
    while ((n = stream.read(buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<size_t>(n));
    return bytes;
}

} // namespace

TEST(FileStream, MakeDirsCreatesTheMissingFolders)
{
    TempFolder folder;
    FileStream stream;
    std::string file = folder / "x/y/z.txt";
    EXPECT_FALSE(stream.open(path(file), IFileStream::OPEN_WRITE));
    EXPECT_TRUE(stream.open(path(file), IFileStream::OPEN_WRITE | IFileStream::OPEN_MAKEDIRS));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "x/y"));
    stream.close();

    // Back slashes separate folders too; the name may be any Unicode.
    String mixed = path(folder.path() + "\\p\\q\\中文.txt");
    EXPECT_TRUE(stream.open(mixed, IFileStream::OPEN_WRITE | IFileStream::OPEN_MAKEDIRS));
    EXPECT_EQ(5, stream.write("hello", 5));
    stream.close();
    EXPECT_EQ("hello", TempFolder::read(folder / "p/q/中文.txt"));
}

TEST(FileStream, ReadsWritesAndMovesThroughAFile)
{
    TempFolder folder;
    String file = path(folder / "data.bin");
    FileStream stream(file, IFileStream::OPEN_READ | IFileStream::OPEN_WRITE);
    ASSERT_TRUE(stream.isOpened());
    EXPECT_EQ(0, stream.getSize());
    EXPECT_TRUE(stream.isEnd());
    EXPECT_EQ(10, stream.write("0123456789", 10));
    EXPECT_EQ(10, stream.getSize());
    EXPECT_EQ(10, stream.getPosition());
    EXPECT_EQ(0, stream.available());
    EXPECT_EQ(4, stream.moveTo(4));
    EXPECT_EQ(6, stream.available());
    EXPECT_EQ(6, stream.moveBy(2));
    EXPECT_EQ('6', stream.readByte());
    EXPECT_EQ(0, stream.moveToBegin());
    EXPECT_EQ(10, stream.moveToEnd());

    // Writing past the cached size raises it.
    EXPECT_TRUE(stream.setPosition(8));
    EXPECT_EQ(4, stream.write("abcd", 4));
    EXPECT_EQ(12, stream.getSize());
    stream.moveTo(5);
    EXPECT_TRUE(stream.setEnd());
    EXPECT_EQ(5, stream.getSize());
    stream.moveToBegin();
    EXPECT_EQ("01234", readAll(stream));
    EXPECT_TRUE(stream.isEnd());
    EXPECT_EQ(-1, stream.read(nullptr, 0));
    stream.close();

    EXPECT_TRUE(stream.open(file, IFileStream::OPEN_WRITE | IFileStream::OPEN_APPEND));
    EXPECT_EQ(5, stream.getPosition());
    stream.write("!", 1);
    stream.close();
    EXPECT_EQ("01234!", TempFolder::read(folder / "data.bin"));

    EXPECT_TRUE(stream.open(file, IFileStream::OPEN_WRITE));
    stream.write("X", 1);
    stream.close();
    EXPECT_EQ("X1234!", TempFolder::read(folder / "data.bin")) << "writing without truncation keeps the rest";

    EXPECT_TRUE(stream.open(file, IFileStream::OPEN_READ));
    EXPECT_EQ(-1, stream.write("no", 2)) << "opened for reading only";
    stream.close();

    EXPECT_TRUE(stream.open(file, IFileStream::OPEN_WRITE | IFileStream::OPEN_TRUNCATE));
    EXPECT_EQ(0, stream.getSize());
}

TEST(FileStream, PositionsAndSizesBeyondFourGigabytes)
{
    TempFolder folder;
    const int64_t far = 5LL << 30;
    FileStream stream(path(folder / "sparse.bin"), IFileStream::OPEN_READ | IFileStream::OPEN_WRITE);
    ASSERT_TRUE(stream.isOpened());
    EXPECT_EQ(far, stream.moveTo(far));
    stream.writeIntBE(0x01020304);
    EXPECT_EQ(far + 4, stream.getSize());
    EXPECT_EQ(far, stream.moveBy(-4));
    EXPECT_EQ(0x01020304, stream.readIntBE());
    EXPECT_TRUE(stream.isEnd());
    stream.close();
    EXPECT_EQ(far + 4, System::getInstance().getFileSize(path(folder / "sparse.bin")));
}
