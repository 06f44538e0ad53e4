#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tessel/core/FileStream.h"
#include "tessel/core/IObject.h"
#include "tessel/core/String.h"

namespace tessel {

// The container file of a TinyFileSystem: 2048-byte blocks holding either
// entry records or file data, every integer 32-bit little-endian.
//
// Entry records (16-aligned, never across a block boundary, chained in
// creation order from offset 0):
//   0  link  bits 4-31 offset of the next record (0 = last),
//            bits 0-3 record size / 16 - 1
//   4  info  bits 0-23 first data block / 256 (0 = no data yet),
//            bit 24 read-only, bit 25 directory, bit 27 kept as it is
//   8  size  bytes of data (0 for directories)
//   12 time  seconds since 1970, low 32 bits
//   16 hash  hashCode of the UTF-8 path, 0 = deleted
//   20 path  UTF-8, starting with "/", NUL-terminated, zero-filled
// Data blocks: a 4-byte header (bits 11-31 offset of the next block of the
// same file, 0 = last; bits 0-10 bytes used, at most 2044), then the data.
//
// The container is read defensively: a chain link that does not move
// forward or leaves the file ends the walk, a record that does not fit
// its own size or block is not taken, and a data link that does not move
// forward, leaves the file or points into a block of records ends the
// data. Whatever the bytes, walking the file ends and stays inside it.
//
// Every change is written to the file at once. The container is shared
// by its file system and the streams opened over it; once closed, every
// operation fails.
class TinyContainer : public IObject {
public:
    static constexpr uint32_t BLOCK_BYTES = 2048;
    static constexpr uint32_t HEADER_BYTES = 4;
    static constexpr uint32_t DATA_BYTES = BLOCK_BYTES - HEADER_BYTES;
    // Longest UTF-8 path a record holds, without its NUL.
    static constexpr int MAX_PATH_BYTES = 234;

    static constexpr uint32_t INFO_FIRST_BLOCK = 0x00FFFFFFu;
    static constexpr uint32_t INFO_READONLY = 1u << 24;
    static constexpr uint32_t INFO_DIRECTORY = 1u << 25;
    // The bits a record keeps when it is written anew.
    static constexpr uint32_t INFO_KEPT = INFO_FIRST_BLOCK | INFO_READONLY | INFO_DIRECTORY | (1u << 27);

    // One entry record, as read from or written to the file.
    struct Record {
        uint32_t offset = 0;
        uint32_t link = 0;
        uint32_t info = 0;
        uint32_t size = 0;
        uint32_t time = 0;
        uint32_t hash = 0; // as stored: 0 marks a deleted entry
        uint32_t key = 0;  // the hash of the path, for lookups
        std::string path;  // UTF-8
        // Whether any path given to the file system names this one: a
        // path that is no UTF-8, or not in normal form ("/a//b", "/a/"),
        // keeps its record's place in the chain but is never found or
        // listed.
        bool legible = true;

        int recordSize() const { return static_cast<int>(((link & 15u) + 1) * 16); }
        uint32_t next() const { return link & ~15u; }
        bool isLive() const { return hash != 0 && legible; }
        bool isDirectory() const { return (info & INFO_DIRECTORY) != 0; }
        bool isReadOnly() const { return (info & INFO_READONLY) != 0; }
    };

    TinyContainer() = default;
    ~TinyContainer() override;
    TinyContainer(const TinyContainer&) = delete;
    TinyContainer& operator=(const TinyContainer&) = delete;

    // Opens the container file for update (creating an empty one when it
    // is missing and `create` is set) and reads its record chain. Fails
    // when the file cannot be opened, or when it is not empty and does
    // not start with a sound record: such a file is not a container, and
    // writing records into it would destroy it.
    bool open(const String& file, bool create);
    void close();
    bool isOpen() const { return file_ && file_->isOpened(); }

    // Every record of the chain, deleted ones too, in file order.
    int count() const { return static_cast<int>(records_.size()); }
    const Record& record(int index) const { return records_[static_cast<size_t>(index)]; }
    // The index of the first live record with this path, or -1.
    int find(const std::string& path) const;

    // Appends a record to the chain; its index, or -1.
    int addRecord(const std::string& path, uint32_t info, uint32_t size, uint32_t time);
    bool markDeleted(int index);
    // Rewrites the first 16 bytes of a record with new values.
    bool writeHead(int index, uint32_t info, uint32_t size, uint32_t time);
    // Gives a record a new path in place; false when it does not fit.
    bool rename(int index, const std::string& path);

    // The first data block of a record, 0 when it has none (or an unusable
    // one).
    uint32_t firstBlock(int index) const;
    // The header of a data block: the next block (0 when it is the last
    // or its link is unusable) and the bytes used (at most 2044).
    bool readHeader(uint32_t block, uint32_t& next, uint32_t& used);
    bool writeHeader(uint32_t block, uint32_t next, uint32_t used);
    // Appends a zero-filled block at the end of the file.
    bool appendBlock(uint32_t& offset);
    // Raw access to the bytes of the file; reads stop at its end.
    int readAt(uint64_t offset, void* buffer, int size);
    bool writeAt(uint64_t offset, const void* data, int size);
    void flush();

    static int recordSizeFor(int pathBytes);
    // The hash stored for a live path: never 0, which means deleted, so a
    // path that happens to hash to 0 is stored with 1.
    static uint32_t hashOf(const std::string& path);

private:
    bool _readChain();
    bool _readRecord(uint32_t offset, Record& out);
    bool _isDataBlock(uint32_t offset) const;
    bool _placeRecord(int size, uint32_t& offset);

    Ref<FileStream> file_;
    uint64_t fileSize_ = 0;
    std::vector<Record> records_;
    std::set<uint32_t> recordBlocks_; // blocks holding records, by number
};

} // namespace tessel
