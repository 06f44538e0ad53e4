#include "tessel/fs/TinyFileStream.h"

#include <algorithm>
#include <cstdint>

namespace tessel {

namespace {

// The size field is 32-bit: a file never grows past it.
constexpr int64_t MAX_FILE_BYTES = INT64_C(0xFFFFFFFF);

} // namespace

TinyFileStream::TinyFileStream(TinyContainer* container, int record, bool writing)
    : container_(container), record_(record), writing_(writing)
{
    if (_isUsable())
        _readChain();
}

// Reading takes the used bytes of each block in chain order, up to the
// record's size. Writing starts on an empty file and fills every block to
// the brim before it moves on, so there block n holds the bytes from
// n * 2044 on whatever its header counted before.
void TinyFileStream::_readChain()
{
    const TinyContainer::Record& record = container_->record(record_);
    int64_t total = 0;
    uint32_t block = container_->firstBlock(record_);
    while (block != 0) {
        uint32_t next = 0, used = 0;
        if (!container_->readHeader(block, next, used))
            break;
        uint32_t length = writing_ ? TinyContainer::DATA_BYTES : used;
        blocks_.push_back({block, used, total, length});
        total += length;
        if (!writing_ && total >= record.size)
            break;
        block = next;
    }
    size_ = writing_ ? 0 : std::min<int64_t>(record.size, total);
}

bool TinyFileStream::_isUsable() const
{
    if (!container_ || !container_->isOpen() || record_ < 0 || record_ >= container_->count())
        return false;
    // A deleted file takes no more writes; what was read stays readable.
    return !writing_ || container_->record(record_).isLive();
}

int TinyFileStream::_blockAt(int64_t position) const
{
    auto after = std::upper_bound(blocks_.begin(), blocks_.end(), position,
                                  [](int64_t p, const Block& block) { return p < block.start; });
    return static_cast<int>(after - blocks_.begin()) - 1;
}

int64_t TinyFileStream::available()
{
    return _isUsable() ? size_ - position_ : 0;
}

bool TinyFileStream::isEnd()
{
    return !_isUsable() || position_ >= size_;
}

void TinyFileStream::close()
{
    container_.reset();
    blocks_.clear();
    size_ = 0;
    position_ = 0;
}

int TinyFileStream::read(void* buffer, int size)
{
    if (!_isUsable() || !buffer || size < 1)
        return -1;
    char* out = static_cast<char*>(buffer);
    int done = 0;
    while (done < size && position_ < size_) {
        int index = _blockAt(position_);
        if (index < 0)
            break;
        const Block& block = blocks_[static_cast<size_t>(index)];
        int64_t at = position_ - block.start;
        int64_t chunk = std::min<int64_t>({size - done, block.length - at, size_ - position_});
        if (chunk <= 0)
            break;
        int got = container_->readAt(uint64_t(block.offset) + TinyContainer::HEADER_BYTES + at, out + done,
                                     static_cast<int>(chunk));
        if (got > 0) {
            done += got;
            position_ += got;
        }
        // The container file ends early: so does this file.
        if (got < chunk) {
            size_ = position_;
            break;
        }
    }
    return done;
}

void TinyFileStream::flush()
{
    if (_isUsable())
        container_->flush();
}

int TinyFileStream::write(const void* data, int size)
{
    if (!writing_ || !_isUsable() || !data || size < 1)
        return -1;
    int64_t room = MAX_FILE_BYTES - position_;
    int wanted = static_cast<int>(std::min<int64_t>(size, room));
    const char* bytes = static_cast<const char*>(data);
    int done = 0;
    while (done < wanted) {
        size_t index = static_cast<size_t>(position_ / TinyContainer::DATA_BYTES);
        uint32_t at = static_cast<uint32_t>(position_ % TinyContainer::DATA_BYTES);
        if (index == blocks_.size() && !_appendBlock())
            break;
        uint32_t chunk = std::min<uint32_t>(static_cast<uint32_t>(wanted - done), TinyContainer::DATA_BYTES - at);
        if (!_writeInto(index, at, bytes + done, chunk))
            break;
        done += static_cast<int>(chunk);
        position_ += chunk;
    }
    if (position_ > size_)
        size_ = position_;
    const TinyContainer::Record& record = container_->record(record_);
    if (size_ > record.size)
        container_->writeHead(record_, record.info, static_cast<uint32_t>(size_), record.time);
    return done > 0 ? done : -1;
}

bool TinyFileStream::_writeInto(size_t index, uint32_t at, const char* data, uint32_t size)
{
    Block& block = blocks_[index];
    if (!container_->writeAt(uint64_t(block.offset) + TinyContainer::HEADER_BYTES + at, data, static_cast<int>(size)))
        return false;
    if (at + size > block.used) {
        block.used = at + size;
        uint32_t next = index + 1 < blocks_.size() ? blocks_[index + 1].offset : 0;
        return container_->writeHeader(block.offset, next, block.used);
    }
    return true;
}

// A new block at the end of the file, linked from the last one, or from the
// record when it is the file's first.
bool TinyFileStream::_appendBlock()
{
    uint32_t offset = 0;
    if (!container_->appendBlock(offset))
        return false;
    bool linked;
    if (blocks_.empty()) {
        const TinyContainer::Record& record = container_->record(record_);
        uint32_t info = (record.info & ~TinyContainer::INFO_FIRST_BLOCK) | offset / 256;
        linked = container_->writeHead(record_, info, record.size, record.time);
    } else {
        const Block& last = blocks_.back();
        linked = container_->writeHeader(last.offset, offset, last.used);
    }
    if (!linked)
        return false;
    int64_t start = static_cast<int64_t>(blocks_.size()) * TinyContainer::DATA_BYTES;
    blocks_.push_back({offset, 0, start, TinyContainer::DATA_BYTES});
    return true;
}

int64_t TinyFileStream::moveToEnd()
{
    return moveTo(size_);
}

int64_t TinyFileStream::moveTo(int64_t position)
{
    if (!_isUsable())
        return -1;
    position_ = std::clamp<int64_t>(position, 0, size_);
    return position_;
}

int64_t TinyFileStream::moveBy(int64_t delta)
{
    if (!_isUsable())
        return -1;
    // Clamped before adding, so that no delta can overflow.
    int64_t bounded = std::clamp<int64_t>(delta, -position_, size_ - position_);
    return moveTo(position_ + bounded);
}

} // namespace tessel
