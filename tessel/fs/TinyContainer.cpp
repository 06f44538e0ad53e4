#include "tessel/fs/TinyContainer.h"

#include <cstring>

#include "tessel/core/LittleEndian.h"
#include "tessel/core/System.h"
#include "tessel/fs/VirtualPath.h"

namespace tessel {

namespace {

// Offsets are 32-bit in every link, so the file never grows past 4 GB.
constexpr uint64_t MAX_FILE_SIZE = uint64_t(1) << 32;
constexpr int MIN_RECORD_SIZE = 32;
constexpr int MAX_RECORD_SIZE = 256;
constexpr int PATH_OFFSET = 20;

uint32_t get32(const unsigned char* p)
{
    return static_cast<uint32_t>(LittleEndian::GetInt32(p));
}

void put32(unsigned char* p, uint32_t value)
{
    LittleEndian::PutInt32(p, static_cast<int32_t>(value));
}

uint32_t blockNumber(uint64_t offset)
{
    return static_cast<uint32_t>(offset / TinyContainer::BLOCK_BYTES);
}

// Whether some path given to the file system leads to this one: it must be
// UTF-8 and in the normal form paths are turned into (no "." or "..", no
// "\", no repeated or trailing "/").
bool isNameable(const std::string& path)
{
    String name = String::fromUTF8(path);
    return name.toStdString() == path && VirtualPath::normalize(name) == name;
}

} // namespace

TinyContainer::~TinyContainer()
{
    close();
}

int TinyContainer::recordSizeFor(int pathBytes)
{
    if (pathBytes < 12)
        return MIN_RECORD_SIZE;
    return ((pathBytes + 4) & ~15) + 32;
}

uint32_t TinyContainer::hashOf(const std::string& path)
{
    uint32_t hash = hashCode(path.data(), static_cast<int>(path.size()));
    return hash ? hash : 1;
}

// ------------------------------------------------------------ open, close

bool TinyContainer::open(const String& file, bool create)
{
    close();
    if (file.empty())
        return false;
    if (!create && !(System::getInstance().getFileAttribute(file) & IFileSystem::ATTR_FILE))
        return false;
    Ref<FileStream> stream = new FileStream();
    if (!stream->open(file.c_str(), IFileStream::OPEN_READ | IFileStream::OPEN_WRITE))
        return false;
    int64_t size = stream->getSize();
    if (size < 0)
        return false;
    file_ = stream;
    fileSize_ = static_cast<uint64_t>(size);
    if (!_readChain()) {
        close();
        return false;
    }
    return true;
}

void TinyContainer::close()
{
    if (file_)
        file_->close();
    file_.reset();
    fileSize_ = 0;
    records_.clear();
    recordBlocks_.clear();
}

bool TinyContainer::_readChain()
{
    uint32_t offset = 0;
    Record record;
    while (_readRecord(offset, record)) {
        records_.push_back(record);
        recordBlocks_.insert(blockNumber(offset));
        uint32_t next = record.next();
        // A link back to this record or before it would walk for ever.
        if (next == 0 || uint64_t(next) < uint64_t(offset) + record.recordSize())
            break;
        offset = next;
    }
    return fileSize_ == 0 || !records_.empty();
}

bool TinyContainer::_readRecord(uint32_t offset, Record& out)
{
    unsigned char bytes[MAX_RECORD_SIZE];
    if (uint64_t(offset) + 4 > fileSize_ || readAt(offset, bytes, 4) != 4)
        return false;
    uint32_t link = get32(bytes);
    int size = static_cast<int>(((link & 15u) + 1) * 16);
    if (size < MIN_RECORD_SIZE || offset % BLOCK_BYTES + size > BLOCK_BYTES || uint64_t(offset) + size > fileSize_)
        return false;
    if (readAt(offset, bytes, size) != size)
        return false;
    bytes[size - 1] = 0;
    const char* path = reinterpret_cast<const char*>(bytes + PATH_OFFSET);
    size_t length = std::strlen(path);
    if (length < 2 || length > MAX_PATH_BYTES || path[0] != '/')
        return false;
    out.offset = offset;
    out.link = link;
    out.info = get32(bytes + 4);
    out.size = get32(bytes + 8);
    out.time = get32(bytes + 12);
    out.hash = get32(bytes + 16);
    out.path.assign(path, length);
    out.key = hashOf(out.path);
    out.legible = isNameable(out.path);
    return true;
}

// ---------------------------------------------------------------- records

int TinyContainer::find(const std::string& path) const
{
    uint32_t key = hashOf(path);
    for (size_t i = 0; i < records_.size(); i++) {
        const Record& record = records_[i];
        if (record.key == key && record.isLive() && record.path == path)
            return static_cast<int>(i);
    }
    return -1;
}

// Right after the last record when it fits in that block, else at the start
// of a new block. The first record always lies at offset 0.
bool TinyContainer::_placeRecord(int size, uint32_t& offset)
{
    if (records_.empty()) {
        offset = 0;
        return fileSize_ > 0 || appendBlock(offset);
    }
    const Record& last = records_.back();
    uint64_t end = uint64_t(last.offset) + last.recordSize();
    if (end % BLOCK_BYTES != 0 && end % BLOCK_BYTES + size <= BLOCK_BYTES) {
        offset = static_cast<uint32_t>(end);
        return true;
    }
    return appendBlock(offset);
}

int TinyContainer::addRecord(const std::string& path, uint32_t info, uint32_t size, uint32_t time)
{
    int length = static_cast<int>(path.size());
    if (!isOpen() || length < 1 || length > MAX_PATH_BYTES)
        return -1;
    int recordSize = recordSizeFor(length);
    uint32_t offset = 0;
    if (!_placeRecord(recordSize, offset))
        return -1;
    Record record;
    record.offset = offset;
    record.link = static_cast<uint32_t>(recordSize / 16 - 1);
    record.info = info & INFO_KEPT;
    record.size = size;
    record.time = time;
    record.hash = hashOf(path);
    record.key = record.hash;
    record.path = path;
    unsigned char bytes[MAX_RECORD_SIZE] = {};
    put32(bytes, record.link);
    put32(bytes + 4, record.info);
    put32(bytes + 8, record.size);
    put32(bytes + 12, record.time);
    put32(bytes + 16, record.hash);
    std::memcpy(bytes + PATH_OFFSET, path.data(), path.size());
    if (!writeAt(offset, bytes, recordSize))
        return -1;
    // Linked only once it is written, so the chain never leads to half a
    // record.
    if (!records_.empty()) {
        Record& previous = records_.back();
        uint32_t link = (previous.link & 15u) | offset;
        unsigned char word[4];
        put32(word, link);
        if (!writeAt(previous.offset, word, 4))
            return -1;
        previous.link = link;
    }
    records_.push_back(record);
    recordBlocks_.insert(blockNumber(offset));
    return count() - 1;
}

bool TinyContainer::markDeleted(int index)
{
    if (!isOpen() || index < 0 || index >= count())
        return false;
    Record& record = records_[static_cast<size_t>(index)];
    unsigned char zero[4] = {};
    if (!writeAt(uint64_t(record.offset) + 16, zero, 4))
        return false;
    record.hash = 0;
    return true;
}

bool TinyContainer::writeHead(int index, uint32_t info, uint32_t size, uint32_t time)
{
    if (!isOpen() || index < 0 || index >= count())
        return false;
    Record& record = records_[static_cast<size_t>(index)];
    unsigned char bytes[16];
    put32(bytes, record.link);
    put32(bytes + 4, info);
    put32(bytes + 8, size);
    put32(bytes + 12, time);
    if (!writeAt(record.offset, bytes, 16))
        return false;
    record.info = info;
    record.size = size;
    record.time = time;
    return true;
}

bool TinyContainer::rename(int index, const std::string& path)
{
    if (!isOpen() || index < 0 || index >= count() || path.empty())
        return false;
    Record& record = records_[static_cast<size_t>(index)];
    int area = record.recordSize() - PATH_OFFSET;
    if (static_cast<int>(path.size()) + 1 > area)
        return false;
    unsigned char bytes[MAX_RECORD_SIZE] = {};
    uint32_t hash = hashOf(path);
    put32(bytes, hash);
    std::memcpy(bytes + 4, path.data(), path.size());
    if (!writeAt(uint64_t(record.offset) + 16, bytes, area + 4))
        return false;
    record.hash = hash;
    record.key = hash;
    record.path = path;
    record.legible = true;
    return true;
}

// ------------------------------------------------------------ data blocks

bool TinyContainer::_isDataBlock(uint32_t offset) const
{
    return offset != 0 && offset % BLOCK_BYTES == 0 && uint64_t(offset) + HEADER_BYTES <= fileSize_ &&
           recordBlocks_.count(blockNumber(offset)) == 0;
}

uint32_t TinyContainer::firstBlock(int index) const
{
    if (!isOpen() || index < 0 || index >= count())
        return 0;
    uint32_t block = (record(index).info & INFO_FIRST_BLOCK) * 256u;
    return _isDataBlock(block) ? block : 0;
}

bool TinyContainer::readHeader(uint32_t block, uint32_t& next, uint32_t& used)
{
    unsigned char bytes[4];
    if (!_isDataBlock(block) || readAt(block, bytes, 4) != 4)
        return false;
    uint32_t header = get32(bytes);
    next = header & ~(BLOCK_BYTES - 1);
    used = header & (BLOCK_BYTES - 1);
    if (used > DATA_BYTES)
        used = DATA_BYTES;
    // Data links only ever lead forward, to a data block inside the file.
    if (next <= block || !_isDataBlock(next))
        next = 0;
    return true;
}

bool TinyContainer::writeHeader(uint32_t block, uint32_t next, uint32_t used)
{
    unsigned char bytes[4];
    put32(bytes, (next & ~(BLOCK_BYTES - 1)) | (used & (BLOCK_BYTES - 1)));
    return _isDataBlock(block) && writeAt(block, bytes, 4);
}

bool TinyContainer::appendBlock(uint32_t& offset)
{
    if (!isOpen())
        return false;
    uint64_t end = (fileSize_ + BLOCK_BYTES - 1) / BLOCK_BYTES * BLOCK_BYTES;
    if (end + BLOCK_BYTES > MAX_FILE_SIZE)
        return false;
    static const unsigned char zeros[BLOCK_BYTES] = {};
    if (!writeAt(end, zeros, BLOCK_BYTES))
        return false;
    offset = static_cast<uint32_t>(end);
    return true;
}

// ---------------------------------------------------------------- raw I/O

int TinyContainer::readAt(uint64_t offset, void* buffer, int size)
{
    if (!isOpen() || !buffer || size < 1 || offset >= fileSize_)
        return 0;
    if (uint64_t(size) > fileSize_ - offset)
        size = static_cast<int>(fileSize_ - offset);
    if (file_->moveTo(static_cast<int64_t>(offset)) != static_cast<int64_t>(offset))
        return 0;
    char* bytes = static_cast<char*>(buffer);
    int done = 0;
    while (done < size) {
        int n = file_->read(bytes + done, size - done);
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

bool TinyContainer::writeAt(uint64_t offset, const void* data, int size)
{
    if (!isOpen() || !data || size < 1 || offset + size > MAX_FILE_SIZE)
        return false;
    if (file_->moveTo(static_cast<int64_t>(offset)) != static_cast<int64_t>(offset))
        return false;
    if (file_->write(data, size) != size)
        return false;
    if (offset + size > fileSize_)
        fileSize_ = offset + size;
    return true;
}

void TinyContainer::flush()
{
    if (isOpen())
        file_->flush();
}

} // namespace tessel
