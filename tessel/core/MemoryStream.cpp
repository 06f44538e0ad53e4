#include "tessel/core/MemoryStream.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace tessel {

namespace {

// The old room plus what is asked for, plus at least 8 KB, in 16 KB steps.
int64_t grownCapacity(int64_t wanted)
{
    return (wanted + 24575) & ~static_cast<int64_t>(MemoryStream::GROWTH_STEP - 1);
}

} // namespace

MemoryStream::MemoryStream(int capacity)
{
    if (capacity > 0) {
        buffer_ = static_cast<char*>(std::malloc(static_cast<size_t>(capacity)));
        if (buffer_)
            capacity_ = capacity;
    }
}

MemoryStream::MemoryStream(void* data, int size, bool adopt)
{
    if (size < 0)
        size = 0;
    if (!data || (size == 0 && !adopt))
        return;
    if (adopt) {
        buffer_ = static_cast<char*>(data); // ours now, whatever its size
    } else {
        buffer_ = static_cast<char*>(std::malloc(static_cast<size_t>(size)));
        if (!buffer_)
            return;
        std::memcpy(buffer_, data, static_cast<size_t>(size));
    }
    capacity_ = size;
    size_ = size;
}

MemoryStream::~MemoryStream()
{
    close();
}

void MemoryStream::attach(void* data, int size, bool owned)
{
    close();
    if (!data || size < 0)
        return;
    buffer_ = static_cast<char*>(data);
    capacity_ = size;
    size_ = owned ? 0 : -1;
}

void MemoryStream::close()
{
    if (!isFixed())
        std::free(buffer_);
    buffer_ = nullptr;
    position_ = 0;
    size_ = 0;
    capacity_ = 0;
}

void MemoryStream::reset()
{
    position_ = 0;
    if (!isFixed())
        size_ = 0;
}

bool MemoryStream::grow(int64_t target)
{
    int64_t next = grownCapacity(target);
    if (next > INT_MAX)
        return false;
    char* grown = static_cast<char*>(std::realloc(buffer_, static_cast<size_t>(next)));
    if (!grown)
        return false;
    buffer_ = grown;
    capacity_ = static_cast<int>(next);
    return true;
}

bool MemoryStream::ensure(int bytes)
{
    if (bytes <= capacity_)
        return true;
    if (isFixed())
        return false;
    return grow(bytes);
}

int MemoryStream::read(void* buffer, int size)
{
    if (!buffer || size < 1 || !buffer_)
        return 0;
    int left = getSize() - position_;
    if (left <= 0)
        return 0;
    int n = size < left ? size : left;
    std::memcpy(buffer, buffer_ + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int MemoryStream::write(const void* data, int size)
{
    if (!data || size < 1)
        return 0;
    if (isFixed()) {
        int room = capacity_ - position_;
        if (room <= 0)
            return 0;
        int n = size < room ? size : room;
        std::memmove(buffer_ + position_, data, static_cast<size_t>(n));
        position_ += n;
        return n;
    }
    int64_t end = static_cast<int64_t>(position_) + size;
    if (end > INT_MAX)
        return -1;
    if (end > capacity_) {
        // The data may lie in our own buffer, which growing can move.
        bool inside = buffer_ && data >= buffer_ && data < buffer_ + capacity_;
        int64_t offset = inside ? static_cast<const char*>(data) - buffer_ : 0;
        if (!grow(static_cast<int64_t>(capacity_) + size))
            return -1;
        if (inside)
            data = buffer_ + offset;
    }
    std::memmove(buffer_ + position_, data, static_cast<size_t>(size));
    position_ += size;
    // Terminate text written at the end, never data that follows.
    if (position_ >= size_) {
        size_ = position_;
        if (position_ < capacity_)
            buffer_[position_] = 0;
    }
    return size;
}

int64_t MemoryStream::moveTo(int64_t position)
{
    int size = getSize();
    if (position < 0)
        position = 0;
    position_ = position > size ? size : static_cast<int>(position);
    return position_;
}

int64_t MemoryStream::moveBy(int64_t delta)
{
    if (delta == 0)
        return position_;
    return moveTo(position_ + delta);
}

} // namespace tessel
