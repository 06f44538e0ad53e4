#include "tessel/core/StringStream.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace tessel {

StringStream& StringStream::operator=(const StringStream& other)
{
    if (this != &other) {
        String::operator=(other);
        position_ = other.position_;
    }
    return *this;
}

int64_t StringStream::available()
{
    int64_t left = getSize() - position_;
    return left > 0 ? left : 0;
}

int StringStream::read(void* buffer, int size)
{
    if (!buffer || size < 1)
        return 0;
    int64_t left = getSize() - position_;
    if (left <= 0)
        return 0;
    int n = size < left ? size : static_cast<int>(left);
    std::memcpy(buffer, reinterpret_cast<const char*>(c_str()) + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int StringStream::write(const void* data, int size)
{
    if (!data || size < 1)
        return 0;
    int64_t end = position_ + size;
    if (end > static_cast<int64_t>(INT_MAX) - 1)
        return -1;
    int units = static_cast<int>((end + 1) / 2);
    int oldLength = this->size();
    if (units <= oldLength) {
        std::memmove(reinterpret_cast<char*>(toUnicode()) + position_, data, static_cast<size_t>(size));
        position_ = end;
        changed();
        return size;
    }
    if (isAttached())
        return -1;
    // Growing may move the buffer, and the data may lie in it.
    void* copy = nullptr;
    const char16_t* buffer = toUnicode();
    if (buffer && data >= buffer && data < buffer + capacity()) {
        copy = std::malloc(static_cast<size_t>(size));
        if (!copy)
            return -1;
        std::memcpy(copy, data, static_cast<size_t>(size));
        data = copy;
    }
    if (!ensure(units, true)) {
        std::free(copy);
        return -1;
    }
    char* bytes = reinterpret_cast<char*>(toUnicode());
    std::memset(bytes + 2 * static_cast<int64_t>(oldLength), 0, static_cast<size_t>(units - oldLength) * 2);
    std::memcpy(bytes + position_, data, static_cast<size_t>(size));
    std::free(copy);
    position_ = end;
    trunc(units, true);
    return size;
}

int64_t StringStream::moveTo(int64_t position)
{
    int64_t size = getSize();
    if (position < 0)
        position = 0;
    position_ = position > size ? size : position;
    return position_;
}

int64_t StringStream::moveBy(int64_t delta)
{
    if (delta == 0)
        return position_;
    return moveTo(position_ + delta);
}

} // namespace tessel
