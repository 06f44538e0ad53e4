#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tessel/tessel.h"

namespace tessel::testing {

inline String text(const std::string& utf8)
{
    return String::fromUTF8(utf8);
}

// The whole content of a file read through a file system; "<missing>" when
// it cannot be opened.
inline std::string readAll(IFileSystem& fs, const std::string& path)
{
    Ref<IInputStream> in;
    if (!fs.open(text(path), in.out()))
        return "<missing>";
    std::string all;
    char piece[700];
    for (int n; (n = in->read(piece, sizeof piece)) > 0;)
        all.append(piece, static_cast<size_t>(n));
    return all;
}

inline bool writeAll(IFileSystem& fs, const std::string& path, const std::string& bytes)
{
    Ref<IOutputStream> out;
    if (!fs.open(text(path), out.out()))
        return false;
    return bytes.empty() || out->write(bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
}

inline std::vector<std::string> listed(IFileSystem& fs, const std::string& path)
{
    Array<IFileSystem::FileEntry> entries;
    fs.listDirectory(text(path), entries);
    std::vector<std::string> names;
    for (int i = 0; i < entries.size(); i++)
        names.push_back(entries[i]->name.toStdString());
    return names;
}

// A text of `n` bytes that shows where each byte lies.
inline std::string pattern(size_t n)
{
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; i++)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return bytes;
}

inline uint32_t word(const std::string& bytes, size_t offset)
{
    if (offset + 4 > bytes.size())
        return 0xDEADBEEF;
    return static_cast<uint32_t>(LittleEndian::GetInt32(bytes.data() + offset));
}

inline void putWord(std::string& bytes, size_t offset, uint32_t value)
{
    if (bytes.size() < offset + 4)
        bytes.resize(offset + 4, '\0');
    LittleEndian::PutInt32(&bytes[offset], static_cast<int32_t>(value));
}

// A container built by hand, record by record, block by block.
class ContainerImage {
public:
    static constexpr uint32_t HASH_OF_PATH = 0xFFFFFFFFu;

    std::string bytes;

    // A record at `offset` holding `path`; `size` the record size (0: the
    // smallest that fits), `next` the link to the next record.
    ContainerImage& record(uint32_t offset, const std::string& path, uint32_t next, uint32_t info = 0,
                           uint32_t size = 0, uint32_t hash = HASH_OF_PATH, int recordSize = 0)
    {
        if (recordSize == 0)
            recordSize = TinyContainer::recordSizeFor(static_cast<int>(path.size()));
        reserve(offset + static_cast<uint32_t>(recordSize));
        putWord(bytes, offset, next | static_cast<uint32_t>(recordSize / 16 - 1));
        putWord(bytes, offset + 4, info);
        putWord(bytes, offset + 8, size);
        putWord(bytes, offset + 12, 1300000000);
        putWord(bytes, offset + 16, hash == HASH_OF_PATH ? TinyContainer::hashOf(path) : hash);
        bytes.replace(offset + 20, path.size(), path);
        return *this;
    }
    // A data block at `offset` with `data` and the header given.
    ContainerImage& block(uint32_t offset, uint32_t header, const std::string& data)
    {
        reserve(offset + TinyContainer::BLOCK_BYTES);
        putWord(bytes, offset, header);
        bytes.replace(offset + 4, data.size(), data);
        return *this;
    }

private:
    void reserve(uint32_t end)
    {
        uint32_t blocks = (end + TinyContainer::BLOCK_BYTES - 1) / TinyContainer::BLOCK_BYTES;
        if (bytes.size() < blocks * TinyContainer::BLOCK_BYTES)
            bytes.resize(blocks * TinyContainer::BLOCK_BYTES, '\0');
    }
};

} // namespace tessel::testing
