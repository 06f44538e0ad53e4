// The container's bytes, as other programs reading the same files see them.

#include <gtest/gtest.h>

#include <string>

#include "support/TempFolder.h"
#include "FileSystemTesting.h"
#include "tessel/tessel.h"

using namespace tessel;
using namespace tessel::testing;

namespace {

constexpr uint32_t BLOCK = TinyContainer::BLOCK_BYTES;

class TinyLayout : public ::testing::Test {
protected:
    std::string file() const { return folder_ / "box.tfs"; }
    std::string bytes() const { return TempFolder::read(file()); }

    TinyFileSystem& create()
    {
        EXPECT_TRUE(fs_.initialize(text(file()), true));
        return fs_;
    }
    // The container is held for one file system at a time: the one open
    // is closed first.
    TinyFileSystem& reopen()
    {
        fs_.cleanup();
        EXPECT_TRUE(fs_.initialize(text(file()), false));
        return fs_;
    }

    TempFolder folder_;
    TinyFileSystem fs_;
};

} // namespace

TEST_F(TinyLayout, RecordsFromOffsetZeroSizedByTheirUtf8Path)
{
    TinyFileSystem& fs = create();
    EXPECT_EQ(bytes().size(), 0u) << "a new container is empty";
    ASSERT_TRUE(fs.createDirectory(u"/abcdefghij", false));           // 11 bytes: 32-byte record
    ASSERT_TRUE(fs.createDirectory(u"/abcdefghijk", false));          // 12 bytes: 48
    ASSERT_TRUE(fs.createDirectory(u"/ab\u4e2d\u6587\u540d", false)); // six characters, twelve bytes: 48
    ASSERT_TRUE(fs.createDirectory(u"/x", false));
    std::string image = bytes();
    ASSERT_EQ(image.size(), BLOCK);
    EXPECT_EQ(word(image, 0), 32u | 1u) << "32 bytes, next at 32";
    EXPECT_EQ(word(image, 4), TinyContainer::INFO_DIRECTORY);
    EXPECT_EQ(word(image, 8), 0u);
    EXPECT_EQ(word(image, 16), hashCode("/abcdefghij", 11));
    EXPECT_EQ(image.substr(20, 12), std::string("/abcdefghij\0", 12));
    EXPECT_EQ(word(image, 32), 80u | 2u) << "48 bytes, next at 32 + 48";
    EXPECT_EQ(word(image, 80), 128u | 2u);
    EXPECT_EQ(word(image, 128), 1u) << "the last record";
    EXPECT_EQ(image.substr(148, 3), std::string("/x\0", 3));
}

TEST_F(TinyLayout, ARecordThatWouldCrossABlockStartsTheNextBlock)
{
    TinyFileSystem& fs = create();
    // 63 records of 32 bytes fill the block up to 2016; a 48-byte one no
    // longer fits.
    for (int i = 0; i < 63; i++)
        ASSERT_TRUE(fs.createDirectory(String().format(u"/d%02d", i), false));
    ASSERT_TRUE(fs.createDirectory(u"/a-longer-name", false));
    std::string image = bytes();
    ASSERT_EQ(image.size(), 2 * BLOCK);
    EXPECT_EQ(word(image, 62 * 32), BLOCK | 1u);
    EXPECT_EQ(image.substr(BLOCK + 20, 14), "/a-longer-name");
    reopen();
    EXPECT_EQ(listed(fs, "/").size(), 64u);
}

TEST_F(TinyLayout, ExactlyOneBlockOfDataThenASecond)
{
    TinyFileSystem& fs = create();
    std::string data = pattern(2045);
    ASSERT_TRUE(writeAll(fs, "/f", data.substr(0, 2044)));
    std::string image = bytes();
    ASSERT_EQ(image.size(), 2 * BLOCK);
    EXPECT_EQ(word(image, 4), BLOCK / 256) << "first data block at 2048";
    EXPECT_EQ(word(image, 8), 2044u);
    EXPECT_EQ(word(image, BLOCK), 2044u) << "full, no next block";

    ASSERT_TRUE(writeAll(fs, "/f", data));
    image = bytes();
    ASSERT_EQ(image.size(), 3 * BLOCK);
    EXPECT_EQ(word(image, 8), 2045u);
    EXPECT_EQ(word(image, BLOCK), 2 * BLOCK + 2044) << "second block's offset + 2044";
    EXPECT_EQ(word(image, 2 * BLOCK), 1u);
    EXPECT_EQ(image.substr(BLOCK + 4, 2044), data.substr(0, 2044));
    EXPECT_EQ(image[2 * BLOCK + 4], data[2044]);
    reopen();
    EXPECT_EQ(readAll(fs, "/f"), data);
}

TEST_F(TinyLayout, DeletionAttributesAndUnsignedTimesLiveInTheRecordHead)
{
    TinyFileSystem& fs = create();
    ASSERT_TRUE(writeAll(fs, "/gone.txt", "bye"));
    ASSERT_TRUE(writeAll(fs, "/f", "x"));
    ASSERT_TRUE(fs.deleteFile(u"/gone.txt"));
    fs.setReadOnly(u"/f", true);
    int64_t late = INT64_C(3000000000); // 2065, above the 31-bit range
    fs.setFileTime(u"/f", DateTime(late));
    std::string image = bytes();
    EXPECT_EQ(word(image, 16), 0u) << "a hash of 0 marks the record deleted";
    EXPECT_EQ(word(image, 32 + 4) & TinyContainer::INFO_READONLY, TinyContainer::INFO_READONLY);
    EXPECT_EQ(word(image, 32 + 12), 3000000000u);
    reopen();
    EXPECT_EQ(listed(fs, "/"), std::vector<std::string>{"/f"});
    EXPECT_EQ(fs.getFileTime(u"/f").toString().toStdString(), DateTime(late).toString().toStdString());
}

TEST_F(TinyLayout, ALivePathHashingToZeroIsStoredWithOne)
{
    const std::string path = "/zero-hash-lxfxkxmtontvumqemrgpcygwgmla";
    ASSERT_EQ(hashCode(path.data(), static_cast<int>(path.size())), 0u) << "the test needs a path hashing to 0";
    TinyFileSystem& fs = create();
    ASSERT_TRUE(writeAll(fs, path, "still here"));
    EXPECT_EQ(word(bytes(), 16), 1u);
    reopen();
    EXPECT_EQ(readAll(fs, path), "still here");
    ASSERT_TRUE(fs.deleteFile(text(path)));
    EXPECT_FALSE(reopen().isExists(text(path)));
}

TEST_F(TinyLayout, RenamingInPlaceKeepsTheUnusedInfoBit)
{
    ContainerImage image;
    image.record(0, "/a-long-file-name", 0, 1u << 27);
    folder_.write("box.tfs", image.bytes);
    TinyFileSystem& fs = reopen();
    ASSERT_TRUE(fs.moveFile(u"/a-long-file-name", u"/short", false));
    ASSERT_TRUE(fs.moveFile(u"/short", u"/a-name-too-long-for-the-old-record", false));
    std::string bytesNow = bytes();
    EXPECT_EQ(word(bytesNow, 16), 0u) << "the old record is deleted";
    EXPECT_EQ(word(bytesNow, 48 + 4), 1u << 27) << "the new record carries bit 27";
}
