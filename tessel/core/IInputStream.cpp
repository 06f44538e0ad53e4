#include "tessel/core/IInputStream.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "tessel/core/BigEndian.h"
#include "tessel/core/CodePage.h"
#include "tessel/core/LittleEndian.h"
#include "tessel/core/String.h"

namespace tessel {

namespace {

// Reads until `size` bytes came or the stream gives no more; a stream may
// hand out fewer bytes than asked for without being at its end.
int readFully(IInputStream& in, void* buffer, int size)
{
    char* p = static_cast<char*>(buffer);
    int total = 0;
    while (total < size) {
        int n = in.read(p + total, size - total);
        if (n <= 0)
            break;
        total += n;
    }
    return total;
}

// The bytes of the rest of the stream in one malloc'ed block with a spare
// byte after them; `count` receives their number. Null when nothing came or
// memory ran out (then `count` is -1).
char* readRest(IInputStream& in, int& count)
{
    count = 0;
    int64_t expected = in.available();
    if (expected == 0)
        return nullptr;
    if (expected >= INT_MAX) {
        count = -1;
        return nullptr;
    }
    int size = expected > 0 ? static_cast<int>(expected) : 16384;
    char* data = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 1));
    if (!data) {
        count = -1;
        return nullptr;
    }
    count = readFully(in, data, size);
    // Unknown length: double the buffer as long as reads fill it.
    while (expected < 0 && count == size) {
        if (size > INT_MAX / 2 - 1) {
            std::free(data);
            count = -1;
            return nullptr;
        }
        char* grown = static_cast<char*>(std::realloc(data, static_cast<size_t>(size) * 2 + 1));
        if (!grown) {
            std::free(data);
            count = -1;
            return nullptr;
        }
        data = grown;
        count += readFully(in, data + size, size);
        size *= 2;
    }
    data[count] = 0;
    return data;
}

void swapPairs(char* data, int count)
{
    for (int i = 0; i + 1 < count; i += 2)
        std::swap(data[i], data[i + 1]);
}

} // namespace

char IInputStream::readByte()
{
    char value = 0;
    return readFully(*this, &value, 1) == 1 ? value : 0;
}

short IInputStream::readShort()
{
    char bytes[2];
    return readFully(*this, bytes, 2) == 2 ? LittleEndian::GetInt16(bytes) : 0;
}

short IInputStream::readShortBE()
{
    char bytes[2];
    return readFully(*this, bytes, 2) == 2 ? BigEndian::GetInt16(bytes) : 0;
}

int IInputStream::readInt()
{
    char bytes[4];
    return readFully(*this, bytes, 4) == 4 ? LittleEndian::GetInt32(bytes) : 0;
}

int IInputStream::readIntBE()
{
    char bytes[4];
    return readFully(*this, bytes, 4) == 4 ? BigEndian::GetInt32(bytes) : 0;
}

int64_t IInputStream::readBigint()
{
    char bytes[8];
    return readFully(*this, bytes, 8) == 8 ? LittleEndian::GetInt64(bytes) : 0;
}

int64_t IInputStream::readBigintBE()
{
    char bytes[8];
    return readFully(*this, bytes, 8) == 8 ? BigEndian::GetInt64(bytes) : 0;
}

float IInputStream::readFloat()
{
    int32_t bits = readInt();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double IInputStream::readDouble()
{
    int64_t bits = readBigint();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool IInputStream::toString(String& out, int charset)
{
    int count = 0;
    char* data = readRest(*this, count);
    if (count < 0) {
        out.clear();
        return false;
    }
    if (!data || count == 0) {
        std::free(data);
        out.clear();
        return true;
    }
    // String keeps UTF-16 units in the machine's order; big-endian text is
    // turned around first.
    if (CodePage::resolve(charset) == CodePage::UTF16BE) {
        swapPairs(data, count);
        charset = CodePage::UTF16LE;
    }
    out.fromCharset(data, charset, count);
    std::free(data);
    return true;
}

} // namespace tessel
